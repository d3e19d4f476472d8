#include "host/glib/glib_logger.h"

#include <array>
#include <string>

namespace tessvik {
namespace {

GLogLevelFlags glibLevel(LogLevel level) {
  return level == LogLevel::kError ? G_LOG_LEVEL_WARNING : G_LOG_LEVEL_INFO;
}

GLogField textField(const char* key, const char* value) {
  return GLogField{key, value, -1};
}

}  // namespace

bool GlibLogger::isEnabled(LogLevel level) const {
  return !g_log_writer_default_would_drop(glibLevel(level), identity_.subsystem);
}

void GlibLogger::log(LogLevel level, std::string_view format,
                     std::initializer_list<LogArgument> args) {
  const std::string message = formatLogMessage(format, args);
  const std::array<GLogField, 5> fields{{
      textField("MESSAGE", message.c_str()),
      textField("PRIORITY", level == LogLevel::kError ? "3" : "6"),
      textField("GLIB_DOMAIN", identity_.subsystem),
      textField("TESSVIK_SUBSYSTEM", identity_.subsystem),
      textField("TESSVIK_CATEGORY", identity_.category),
  }};
  writer_(glibLevel(level), fields.data(), fields.size());
}

}  // namespace tessvik
