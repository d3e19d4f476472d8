#include "host/glib/gio_workspace.h"

#include <gio/gio.h>

#include <string>

namespace tessvik {

bool GioWorkspace::openUrl(std::string_view url) {
  const std::string text(url);
  GError* error = nullptr;
  const gboolean launched = g_app_info_launch_default_for_uri(text.c_str(), nullptr, &error);
  if (error != nullptr) g_error_free(error);
  return launched != FALSE;
}

}  // namespace tessvik
