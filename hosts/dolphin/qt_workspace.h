// The desktop's workspace service in KDE: a URL goes to the application that
// KDE has as the preferred handler of its scheme (for tessvik://, the one
// whose desktop entry lists x-scheme-handler/tessvik), started by KIO with
// the URL exactly as given.
#pragma once

#include <string>

#include "host/handler_workspace.h"

namespace tessvik {

// What is logged when that fails: see HandlerWorkspace. Main loop only.
class QtWorkspace final : public HandlerWorkspace {
 public:
  explicit QtWorkspace(Logger& logger, HasHandler hasHandler = &preferredHandlerExists,
                       Launch launch = &openWithKio, Notify notify = &notifyDesktop)
      : HandlerWorkspace(logger, std::move(hasHandler), std::move(launch), std::move(notify)) {}

  // KDE's preferred handler lookup, and its launch.
  static bool preferredHandlerExists(const std::string& scheme);
  static void openWithKio(const std::string& url,
                          std::function<void(const std::string& reason)> failed);
  // The desktop's notification service (org.freedesktop.Notifications on the
  // session bus, as KNotification would reach it), called without waiting
  // for its answer.
  static void notifyDesktop(const std::string& summary, const std::string& body);
};

}  // namespace tessvik
