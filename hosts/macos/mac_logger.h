// The extension's logger on the unified system log (os_log). Objective-C++ only.
#pragma once

#include <os/log.h>

#include "host/logger.h"

namespace tessvik::macos {

// One log handle with the extension's subsystem and category. os_log takes
// only a constant format, so each message is put together here from the
// core's format and arguments and logged as one public text; every argument
// the core passes is public anyway. Thread-safety: any thread (os_log is).
class MacLogger final : public Logger {
 public:
  explicit MacLogger(LogIdentity identity);
  // Asks the log system, which follows the configuration of the subsystem
  // (`log config`), whether the level is kept.
  bool isEnabled(LogLevel level) const override;
  void log(LogLevel level, std::string_view format,
           std::initializer_list<LogArgument> args) override;

 private:
  os_log_t log_;
};

}  // namespace tessvik::macos
