// The simulated system log: every message becomes a log event line.
#pragma once

#include "host/logger.h"
#include "hosts/sim/line_output.h"

namespace tessvik::sim {

// Writes {"event":"log","level":"default"|"error","subsystem":S,
// "category":C,"message":M}, M being the format with its arguments put in.
// Both levels are always enabled. `out` must outlive the logger. Main loop only.
class SimLogger final : public Logger {
 public:
  SimLogger(LogIdentity identity, LineOutput& out) : identity_(identity), out_(out) {}
  bool isEnabled(LogLevel) const override { return true; }
  void log(LogLevel level, std::string_view format,
           std::initializer_list<LogArgument> args) override;

 private:
  LogIdentity identity_;
  LineOutput& out_;
};

}  // namespace tessvik::sim
