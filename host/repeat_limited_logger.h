// A logger in front of another that keeps an error repeated at every tick
// (a state file that stays broken, say) from filling the log.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <unordered_map>

#include "host/logger.h"

namespace tessvik {

// An error line (its text once formatted) goes through the first time; the
// same line again is only counted until a minute has passed since it last
// went through: then it goes through once more, with how many times it came
// in that minute (kRepeatedMessage). A line that has not come for a few
// seconds is over (the file was mended, say): if it comes back, it goes
// through at once. Other lines are never held back, so a change of error
// shows at once; lines at the default level always go through.
//
// Memory: one entry per error line seen in the last few seconds. Main loop
// only, like the logger it writes to; `inner` must outlive this object.
class RepeatLimitedLogger final : public Logger {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  static constexpr std::chrono::seconds kInterval{60};
  // Longer than a tick, so that a line logged at every tick stays one run.
  static constexpr std::chrono::seconds kOverAfter{5};
  static constexpr const char* kRepeatedMessage = "%{public}s (répété %ld fois depuis une minute)";

  explicit RepeatLimitedLogger(Logger& inner, Clock clock = &std::chrono::steady_clock::now)
      : inner_(inner), clock_(std::move(clock)) {}

  bool isEnabled(LogLevel level) const override { return inner_.isEnabled(level); }
  void log(LogLevel level, std::string_view format,
           std::initializer_list<LogArgument> args) override;

 private:
  struct Run {
    std::chrono::steady_clock::time_point written;
    std::chrono::steady_clock::time_point seen;
    long held = 0;  // times it came and was not written since `written`
  };

  Logger& inner_;
  Clock clock_;
  std::unordered_map<std::string, Run> runs_;  // by formatted line
};

}  // namespace tessvik
