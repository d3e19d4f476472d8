#include "host/sim/sim_logger.h"

#include "extension/messages.h"
#include "host/sim/json_writer.h"

namespace tessvik::sim {

void SimLogger::log(LogLevel level, std::string_view format,
                    std::initializer_list<LogArgument> args) {
  JsonWriter json;
  json.beginObject().key("event").value("log");
  json.key("level").value(level == LogLevel::kError ? "error" : "default");
  json.key("subsystem").value(messages::kLogSubsystem);
  json.key("category").value(messages::kLogCategory);
  json.key("message").value(formatLogMessage(format, args));
  out_.writeLine(json.endObject().take());
}

}  // namespace tessvik::sim
