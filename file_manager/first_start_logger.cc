#include "file_manager/first_start_logger.h"

#include <cerrno>

#include "base/error.h"
#include "extension/messages.h"

namespace tessvik {

FirstStartLogger::FirstStartLogger(Logger& inner, const std::string& stateFolder)
    : inner_(inner), missing_(errorFromErrno(ENOENT, "opendir", stateFolder).description) {}

void FirstStartLogger::log(LogLevel level, std::string_view format,
                           std::initializer_list<LogArgument> args) {
  if (level == LogLevel::kError && format == messages::kCannotList && args.size() == 1) {
    const auto* description = std::get_if<std::string_view>(args.begin());
    if (description != nullptr && *description == missing_) level = LogLevel::kDefault;
  }
  inner_.log(level, format, args);
}

}  // namespace tessvik
