#include "hosts/sim/sim_workspace.h"

#include "hosts/sim/json_writer.h"

namespace tessvik::sim {

bool SimWorkspace::openUrl(std::string_view url) {
  JsonWriter json;
  json.beginObject().key("event").value("openURL").key("url").value(url).endObject();
  out_.writeLine(json.take());
  return true;
}

}  // namespace tessvik::sim
