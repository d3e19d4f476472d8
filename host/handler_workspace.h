// The desktop's workspace service as Linux desktops have it: a URL goes to
// the application the desktop has as the handler of its scheme (for
// tessvik://, the one whose desktop entry lists x-scheme-handler/tessvik).
// Finding and starting it is each desktop library's (GIO, KIO); what the
// user is told when that fails is shared.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "host/logger.h"
#include "host/workspace.h"

namespace tessvik {

// A URL that cannot be handed on is logged as an error, URL included, so
// that what the user asked for is not lost without a word: no application
// for its scheme (kNoHandlerMessage; a desktop would ask the user which
// program to run instead), or one that would not start (kCannotOpenMessage,
// when the launcher says so, at once or later). The user, who chose « Partager
// avec TessVik… » and would otherwise see nothing happen, is also told by a
// desktop notification naming the item (the last segment of the URL's
// `path`, or the whole URL when it has none), once per URL opened. Main loop
// only; `logger` must outlive this object and every URL it opens.
class HandlerWorkspace : public Workspace {
 public:
  // The notification's title, and its text for each failure: the item's
  // name, then the scheme or the launcher's reason.
  static constexpr const char* kFailedSummary = "Partage impossible";
  static constexpr const char* kNoHandlerBody =
      "« %{public}s » n'a pas été partagé : aucune application n'ouvre les adresses « "
      "%{public}s: ».";
  static constexpr const char* kCannotOpenBody = "« %{public}s » n'a pas été partagé : %{public}s";
  // Shows a desktop notification; never waits for it to be shown.
  using Notify = std::function<void(const std::string& summary, const std::string& body)>;
  // Whether some application handles `scheme`.
  using HasHandler = std::function<bool(const std::string& scheme)>;
  // Starts `url`'s application with it; calls `failed` with the launcher's
  // reason if that fails, at once or later on the main loop.
  using Launch = std::function<void(const std::string& url,
                                    std::function<void(const std::string& reason)> failed)>;

  HandlerWorkspace(Logger& logger, HasHandler hasHandler, Launch launch, Notify notify)
      : logger_(logger),
        hasHandler_(std::move(hasHandler)),
        launch_(std::move(launch)),
        notify_(std::move(notify)) {}

  // False when no application handles the URL's scheme; true once the URL
  // is handed to the launcher.
  bool openUrl(std::string_view url) override;

 private:
  Logger& logger_;
  HasHandler hasHandler_;
  Launch launch_;
  Notify notify_;
};

}  // namespace tessvik
