#include "hosts/macos/mac_logger.h"

#include <string>

namespace tessvik::macos {
namespace {

os_log_type_t logType(LogLevel level) {
  return level == LogLevel::kError ? OS_LOG_TYPE_ERROR : OS_LOG_TYPE_DEFAULT;
}

}  // namespace

MacLogger::MacLogger(LogIdentity identity)
    : log_(os_log_create(identity.subsystem, identity.category)) {}

bool MacLogger::isEnabled(LogLevel level) const {
  return os_log_type_enabled(log_, logType(level));
}

void MacLogger::log(LogLevel level, std::string_view format,
                    std::initializer_list<LogArgument> args) {
  if (!isEnabled(level)) return;
  const std::string message = formatLogMessage(format, args);
  os_log_with_type(log_, logType(level), "%{public}s", message.c_str());
}

}  // namespace tessvik::macos
