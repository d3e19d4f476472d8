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

void GioWorkspace::notifyDesktop(const std::string& summary, const std::string& body) {
  // A name may hold bytes that are not UTF-8, which a D-Bus string may not.
  struct Texts {
    gchar* summary;
    gchar* body;
  };
  auto* texts =
      new Texts{g_utf8_make_valid(summary.c_str(), -1), g_utf8_make_valid(body.c_str(), -1)};
  g_bus_get(
      G_BUS_TYPE_SESSION, nullptr,
      [](GObject*, GAsyncResult* result, gpointer data) {
        auto* sent = static_cast<Texts*>(data);
        GDBusConnection* bus = g_bus_get_finish(result, nullptr);
        if (bus != nullptr) {
          g_dbus_connection_call(
              bus, "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
              "org.freedesktop.Notifications", "Notify",
              g_variant_new("(susss@as@a{sv}i)", "TessVik", 0u, "dialog-error", sent->summary,
                            sent->body, g_variant_new_strv(nullptr, 0),
                            g_variant_new_array(G_VARIANT_TYPE("{sv}"), nullptr, 0), -1),
              G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr, nullptr);
          g_object_unref(bus);
        }
        g_free(sent->summary);
        g_free(sent->body);
        delete sent;
      },
      texts);
}

}  // namespace tessvik
