#include "host/repeat_limited_logger.h"

namespace tessvik {

void RepeatLimitedLogger::log(LogLevel level, std::string_view format,
                              std::initializer_list<LogArgument> args) {
  if (level != LogLevel::kError) {
    inner_.log(level, format, args);
    return;
  }
  const auto now = clock_();
  std::erase_if(runs_, [&](const auto& run) { return now - run.second.seen > kOverAfter; });
  std::string line = formatLogMessage(format, args);
  auto [it, first] = runs_.try_emplace(std::move(line), Run{now, now, 0});
  Run& run = it->second;
  run.seen = now;
  if (first) {
    inner_.log(level, format, args);
  } else if (now - run.written < kInterval) {
    ++run.held;
  } else {
    inner_.log(level, kRepeatedMessage, {std::string_view(it->first), run.held + 1});
    run.written = now;
    run.held = 0;
  }
}

}  // namespace tessvik
