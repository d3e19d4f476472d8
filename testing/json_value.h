// A JSON value for tests that read JSON output, held as canonical text:
// compact, each object's members sorted by name, strings escaped one way. Two
// values are equal when they say the same, whatever order or escapes they
// were written with, and a failed expectation prints them as JSON.
#pragma once

#include <compare>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessvik::testing {

class JsonValue {
 public:
  JsonValue() = default;  // null
  JsonValue(const char* text) : JsonValue(std::string_view(text)) {}
  JsonValue(std::string_view text);  // a string
  JsonValue(const std::string& text) : JsonValue(std::string_view(text)) {}
  static JsonValue object(std::initializer_list<std::pair<std::string_view, JsonValue>> members);
  static JsonValue strings(const std::vector<std::string>& items);  // an array

  // Nothing when `text` is not one valid JSON text.
  static std::optional<JsonValue> parse(std::string_view text);

  // The member called `name` of an object; null when there is none.
  JsonValue operator[](std::string_view name) const;
  // The text of a string; "" for anything else.
  std::string str() const;
  const std::string& text() const { return text_; }

  friend auto operator<=>(const JsonValue&, const JsonValue&) = default;
  friend void PrintTo(const JsonValue& v, std::ostream* os) { *os << v.text_; }

 private:
  std::string text_ = "null";
};

}  // namespace tessvik::testing
