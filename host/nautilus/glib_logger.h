// The extension's log on GLib's structured logging: the journal where there
// is one, standard error otherwise (GLib's default writer decides).
#pragma once

#include <glib.h>

#include <functional>
#include <utility>

#include "host/logger.h"

namespace tessvik {

// Each message is one structured entry: MESSAGE (the French text with its
// arguments put in), PRIORITY (syslog's: 3 for errors, 5 for progress),
// GLIB_DOMAIN and TESSVIK_SUBSYSTEM (the extension's reverse-DNS identifier)
// and TESSVIK_CATEGORY ("badges"). Errors go out at GLib's warning level and
// progress at its message level: GLib's error level would abort the file
// manager. Main loop only.
class GlibLogger final : public Logger {
 public:
  // Where the entries go; g_log_structured_array in the file manager.
  using Writer = std::function<void(GLogLevelFlags level, const GLogField* fields, gsize count)>;
  explicit GlibLogger(Writer writer = &g_log_structured_array) : writer_(std::move(writer)) {}

  bool isEnabled(LogLevel level) const override;
  void log(LogLevel level, std::string_view format,
           std::initializer_list<LogArgument> args) override;

 private:
  Writer writer_;
};

}  // namespace tessvik
