#include "host/glib/gio_workspace.h"

#include <gio/gio.h>

namespace tessvik {

bool GioWorkspace::defaultHandlerExists(const std::string& scheme) {
  GAppInfo* handler = g_app_info_get_default_for_uri_scheme(scheme.c_str());
  if (handler == nullptr) return false;
  g_object_unref(handler);
  return true;
}

void GioWorkspace::launchDefault(const std::string& url,
                                 std::function<void(const std::string& reason)> failed) {
  GError* error = nullptr;
  if (g_app_info_launch_default_for_uri(url.c_str(), nullptr, &error)) return;
  failed(error != nullptr ? error->message : "");
  if (error != nullptr) g_error_free(error);
}

}  // namespace tessvik
