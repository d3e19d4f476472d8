#include "host/glib/gio_workspace.h"

#include <gio/gio.h>

namespace tessvik {

bool GioWorkspace::defaultHandlerExists(const std::string& scheme) {
  GAppInfo* handler = g_app_info_get_default_for_uri_scheme(scheme.c_str());
  if (handler == nullptr) return false;
  g_object_unref(handler);
  return true;
}

bool GioWorkspace::openUrl(std::string_view url) {
  const std::string text(url);
  gchar* scheme = g_uri_parse_scheme(text.c_str());
  const std::string schemeText = scheme != nullptr ? scheme : "";
  g_free(scheme);
  if (!hasHandler_(schemeText)) {
    logger_.log(LogLevel::kError, kNoHandlerMessage, {std::string_view(schemeText), url});
    return false;
  }
  GError* error = nullptr;
  if (g_app_info_launch_default_for_uri(text.c_str(), nullptr, &error)) return true;
  logger_.log(LogLevel::kError, kCannotOpenMessage,
              {url, std::string_view(error != nullptr ? error->message : "")});
  if (error != nullptr) g_error_free(error);
  return false;
}

}  // namespace tessvik
