#include "hosts/dolphin/qt_logger.h"

#include <QMessageLogger>

namespace tessvik {

bool QtLogger::isEnabled(LogLevel level) const {
  return level == LogLevel::kError ? category_.isWarningEnabled() : category_.isInfoEnabled();
}

void QtLogger::log(LogLevel level, std::string_view format,
                   std::initializer_list<LogArgument> args) {
  if (!isEnabled(level)) return;
  const std::string message = formatLogMessage(format, args);
  QMessageLogger logger(nullptr, 0, nullptr, category_.categoryName());
  if (level == LogLevel::kError) {
    logger.warning("%s", message.c_str());
  } else {
    logger.info("%s", message.c_str());
  }
}

}  // namespace tessvik
