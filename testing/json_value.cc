#include "testing/json_value.h"

#include <simdjson.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace tessvik::testing {
namespace {

namespace dom = simdjson::dom;

// The one way strings are written: only what JSON requires is escaped.
std::string jsonString(std::string_view s) {
  std::string out = "\"";
  for (const char c : s) {
    char escaped[8];
    if (c == '"' || c == '\\') {
      out.append({'\\', c});
    } else if (static_cast<unsigned char>(c) < 0x20) {
      out.append(escaped,
                 static_cast<std::size_t>(std::snprintf(escaped, sizeof escaped, "\\u%04x", c)));
    } else {
      out.push_back(c);
    }
  }
  out.push_back('"');
  return out;
}

// `items` between `open` and `close`, separated by commas.
std::string enclosed(char open, const std::vector<std::string>& items, char close) {
  std::string out(1, open);
  for (const std::string& item : items) out.append(out.size() > 1 ? "," : "").append(item);
  out.push_back(close);
  return out;
}

std::string canonical(dom::element e) {
  std::vector<std::string> items;
  if (e.is_array()) {
    for (dom::element item : dom::array(e)) items.push_back(canonical(item));
    return enclosed('[', items, ']');
  }
  if (e.is_object()) {
    for (dom::key_value_pair m : dom::object(e)) {
      items.push_back(jsonString(m.key) + ":" + canonical(m.value));
    }
    std::sort(items.begin(), items.end());
    return enclosed('{', items, '}');
  }
  return e.is_string() ? jsonString(std::string_view(e)) : simdjson::minify(e);
}

}  // namespace

JsonValue::JsonValue(std::string_view text) : text_(jsonString(text)) {}

JsonValue JsonValue::object(std::initializer_list<std::pair<std::string_view, JsonValue>> members) {
  std::vector<std::string> items;
  for (const auto& [name, value] : members) items.push_back(jsonString(name) + ":" + value.text_);
  return parse(enclosed('{', items, '}')).value();
}

JsonValue JsonValue::strings(const std::vector<std::string>& items) {
  std::vector<std::string> strings;
  for (const std::string& item : items) strings.push_back(jsonString(item));
  return parse(enclosed('[', strings, ']')).value();
}

std::optional<JsonValue> JsonValue::parse(std::string_view text) {
  dom::parser parser;
  dom::element root;
  if (parser.parse(text.data(), text.size()).get(root) != simdjson::SUCCESS) return std::nullopt;
  JsonValue value;
  value.text_ = canonical(root);
  return value;
}

JsonValue JsonValue::operator[](std::string_view name) const {
  dom::parser parser;
  dom::element member;
  if (parser.parse(text_).at_key(name).get(member) != simdjson::SUCCESS) return JsonValue();
  JsonValue value;
  value.text_ = canonical(member);
  return value;
}

std::string JsonValue::str() const {
  dom::parser parser;
  std::string_view s;
  if (parser.parse(text_).get_string().get(s) != simdjson::SUCCESS) return "";
  return std::string(s);
}

}  // namespace tessvik::testing
