// A file manager starts with the desktop, often before any sync client was
// installed: its state folder missing is then no error, only a note that
// nothing is there yet.
#pragma once

#include <string>

#include "host/logger.h"

namespace tessvik {

// In front of the host's logger: the extension's « lecture impossible »
// error for the state folder itself missing (ENOENT) goes through at the
// default level (info); every other line goes through as it came. The
// extension logs a listing failure once per distinct error in a row, so
// that note is written once, and again only after another listing error.
//
// Main loop only, like the logger it writes to; `inner` must outlive it.
class FirstStartLogger final : public Logger {
 public:
  // `stateFolder` is the path the extension lists, as it lists it.
  FirstStartLogger(Logger& inner, const std::string& stateFolder);

  bool isEnabled(LogLevel level) const override { return inner_.isEnabled(level); }
  void log(LogLevel level, std::string_view format,
           std::initializer_list<LogArgument> args) override;

 private:
  Logger& inner_;
  // What the extension says of the state folder missing.
  std::string missing_;
};

}  // namespace tessvik
