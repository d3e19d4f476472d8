#include "testing/json_value.h"

#include <simdjson.h>

namespace tessvik::testing {

std::optional<std::map<std::string, std::string>> jsonMembers(std::string_view line) {
  simdjson::dom::parser parser;
  simdjson::dom::object object;
  if (parser.parse(line.data(), line.size()).get(object) != simdjson::SUCCESS) return std::nullopt;
  std::map<std::string, std::string> members;
  for (const auto [name, value] : object) {
    members[std::string(name)] =
        value.is_string() ? std::string(std::string_view(value)) : simdjson::minify(value);
  }
  return members;
}

}  // namespace tessvik::testing
