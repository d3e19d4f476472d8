#include "hosts/sim/sim_logger.h"

#include "hosts/sim/json_writer.h"

namespace tessvik::sim {

void SimLogger::log(LogLevel level, std::string_view format,
                    std::initializer_list<LogArgument> args) {
  JsonWriter json;
  json.beginObject().key("event").value("log");
  json.key("level").value(level == LogLevel::kError ? "error" : "default");
  json.key("subsystem").value(identity_.subsystem);
  json.key("category").value(identity_.category);
  json.key("message").value(formatLogMessage(format, args));
  out_.writeLine(json.endObject().take());
}

}  // namespace tessvik::sim
