// The desktop's workspace service on GIO: a URL goes to the application that
// the desktop has as the default handler for its scheme (for tessvik://, the
// one whose desktop entry lists x-scheme-handler/tessvik).
#pragma once

#include <functional>
#include <string>

#include "host/logger.h"
#include "host/workspace.h"

namespace tessvik {

// A URL that cannot be handed on is logged as an error, URL included, so
// that what the user asked for is not lost without a word: no application
// for its scheme (Workspace::kNoHandlerMessage), or one that would not start
// (Workspace::kCannotOpenMessage). Main loop only; `logger` must outlive this object.
class GioWorkspace final : public Workspace {
 public:
  // Whether some application handles `scheme`: GIO's default handler lookup.
  using HasHandler = std::function<bool(const std::string& scheme)>;
  explicit GioWorkspace(Logger& logger, HasHandler hasHandler = &defaultHandlerExists)
      : logger_(logger), hasHandler_(std::move(hasHandler)) {}

  bool openUrl(std::string_view url) override;

  static bool defaultHandlerExists(const std::string& scheme);

 private:
  Logger& logger_;
  HasHandler hasHandler_;
};

}  // namespace tessvik
