// The extension's log on GLib's structured logging: the journal where there
// is one, standard error otherwise (GLib's default writer decides).
#pragma once

#include <glib.h>

#include <functional>
#include <utility>

#include "host/logger.h"

namespace tessvik {

// Each message is one structured entry: MESSAGE (the French text with its
// arguments put in), PRIORITY (syslog's: 3 for errors, 6 for progress),
// GLIB_DOMAIN and TESSVIK_SUBSYSTEM (the identity's subsystem) and
// TESSVIK_CATEGORY (its category). Errors go out at GLib's warning level
// (its error level would abort the file manager), progress at its info
// level, which GLib drops unless G_MESSAGES_DEBUG names the subsystem (or
// "all"): a reload every second is no news. Main loop only.
class GlibLogger final : public Logger {
 public:
  // Where the entries go; g_log_structured_array in the file manager.
  using Writer = std::function<void(GLogLevelFlags level, const GLogField* fields, gsize count)>;
  explicit GlibLogger(LogIdentity identity, Writer writer = &g_log_structured_array)
      : identity_(identity), writer_(std::move(writer)) {}

  bool isEnabled(LogLevel level) const override;
  void log(LogLevel level, std::string_view format,
           std::initializer_list<LogArgument> args) override;

 private:
  LogIdentity identity_;
  Writer writer_;
};

}  // namespace tessvik
