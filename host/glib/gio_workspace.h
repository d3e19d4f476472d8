// The desktop's workspace service on GIO: a URL goes to the application that
// the desktop has as the default handler for its scheme.
#pragma once

#include <string>

#include "host/handler_workspace.h"

namespace tessvik {

// What is logged when that fails: see HandlerWorkspace. Main loop only.
class GioWorkspace final : public HandlerWorkspace {
 public:
  explicit GioWorkspace(Logger& logger, HasHandler hasHandler = &defaultHandlerExists,
                        Launch launch = &launchDefault, Notify notify = &notifyDesktop)
      : HandlerWorkspace(logger, std::move(hasHandler), std::move(launch), std::move(notify)) {}

  // GIO's default handler lookup, and its launch.
  static bool defaultHandlerExists(const std::string& scheme);
  static void launchDefault(const std::string& url,
                            std::function<void(const std::string& reason)> failed);
  // The desktop's notification service (org.freedesktop.Notifications on the
  // session bus), called without waiting for its answer; nothing when there
  // is no session bus or no such service.
  static void notifyDesktop(const std::string& summary, const std::string& body);
};

}  // namespace tessvik
