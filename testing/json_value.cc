#include "testing/json_value.h"

#include <simdjson.h>

#include <algorithm>
#include <vector>

namespace tessvik::testing {
namespace {

namespace dom = simdjson::dom;

std::string jsonString(std::string_view s) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (const char c : s) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') out.push_back('\\');
    if (byte < 0x20) {
      out.append("\\u00");
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 0xF]);
    } else {
      out.push_back(c);
    }
  }
  out.push_back('"');
  return out;
}

std::string canonical(dom::element e) {
  if (e.is_string()) return jsonString(std::string_view(e));
  if (e.is_array()) {
    std::string out = "[";
    for (dom::element item : dom::array(e)) {
      if (out.size() > 1) out.push_back(',');
      out.append(canonical(item));
    }
    out.push_back(']');
    return out;
  }
  if (e.is_object()) {
    std::vector<std::pair<std::string, std::string>> members;
    for (dom::key_value_pair m : dom::object(e)) {
      members.emplace_back(jsonString(m.key), canonical(m.value));
    }
    std::sort(members.begin(), members.end());
    std::string out = "{";
    for (const auto& [key, value] : members) {
      if (out.size() > 1) out.push_back(',');
      out.append(key).append(":").append(value);
    }
    out.push_back('}');
    return out;
  }
  return simdjson::minify(e);  // numbers, true, false, null
}

}  // namespace

JsonValue::JsonValue(std::string_view text) : text_(jsonString(text)) {}

JsonValue JsonValue::object(std::initializer_list<std::pair<std::string_view, JsonValue>> members) {
  std::string text = "{";
  for (const auto& [name, value] : members) {
    if (text.size() > 1) text.push_back(',');
    text.append(jsonString(name)).append(":").append(value.text_);
  }
  text.push_back('}');
  return parse(text).value();  // sorts the members
}

JsonValue JsonValue::strings(const std::vector<std::string>& items) {
  JsonValue array;
  array.text_ = "[";
  for (const std::string& item : items) {
    if (array.text_.size() > 1) array.text_.push_back(',');
    array.text_.append(jsonString(item));
  }
  array.text_.push_back(']');
  return array;
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
