// The desktop's workspace service in KDE: a URL goes to the application that
// KDE has as the preferred handler of its scheme (for tessvik://, the one
// whose desktop entry lists x-scheme-handler/tessvik), started by KIO with
// the URL exactly as given.
#pragma once

#include <functional>
#include <string>

#include "host/logger.h"
#include "host/workspace.h"

namespace tessvik {

// A URL that cannot be handed on is logged as an error, URL included: no
// application for its scheme (kNoHandlerMessage; KIO would ask the user
// which program to run instead), or one that would not start
// (kCannotOpenMessage, when KIO reports it). Main loop only; `logger` must
// outlive this object and every URL it opens.
class QtWorkspace final : public Workspace {
 public:
  // Whether some application handles `scheme`.
  using HasHandler = std::function<bool(const std::string& scheme)>;
  // Starts opening `url`; calls `failed` with KIO's reason if it fails.
  using Open = std::function<void(const std::string& url,
                                  std::function<void(const std::string& reason)> failed)>;

  explicit QtWorkspace(Logger& logger, HasHandler hasHandler = &preferredHandlerExists,
                       Open open = &openWithKio)
      : logger_(logger), hasHandler_(std::move(hasHandler)), open_(std::move(open)) {}

  bool openUrl(std::string_view url) override;

  static bool preferredHandlerExists(const std::string& scheme);
  static void openWithKio(const std::string& url,
                          std::function<void(const std::string& reason)> failed);

 private:
  Logger& logger_;
  HasHandler hasHandler_;
  Open open_;
};

}  // namespace tessvik
