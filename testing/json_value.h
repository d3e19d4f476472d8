// A JSON value as a plain tree, for tests that read JSON output: parsed with
// simdjson, compared member by member (member order does not matter), and
// printed when an expectation fails.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace tessvik::testing {

class JsonValue {
 public:
  using Array = std::vector<JsonValue>;
  // Members sorted by name, so that equality ignores their order.
  using Object = std::vector<std::pair<std::string, JsonValue>>;

  JsonValue() = default;  // null
  JsonValue(std::nullptr_t) {}
  JsonValue(bool b) : v_(b) {}
  JsonValue(int n) : v_(static_cast<double>(n)) {}
  JsonValue(double n) : v_(n) {}
  JsonValue(const char* s) : v_(std::string(s)) {}
  JsonValue(std::string s) : v_(std::move(s)) {}
  JsonValue(Array a) : v_(std::move(a)) {}
  explicit JsonValue(Object members);
  static JsonValue object(std::initializer_list<std::pair<std::string, JsonValue>> members);
  static JsonValue strings(const std::vector<std::string>& items);

  // Nothing when `text` is not one valid JSON text.
  static std::optional<JsonValue> parse(std::string_view text);

  bool isNull() const { return std::holds_alternative<std::monostate>(v_); }
  bool isString() const { return std::holds_alternative<std::string>(v_); }
  // The text of a string, "" for anything else.
  const std::string& str() const;
  // The member called `name` of an object, or null.
  const JsonValue& operator[](std::string_view name) const;
  // Element `i` of an array, or null.
  const JsonValue& operator[](std::size_t i) const;
  std::size_t size() const;
  // The members of an object, sorted by name; empty for anything else.
  const Object& members() const;

  // Compact JSON text (for failure messages).
  std::string dump() const;

  friend bool operator==(const JsonValue&, const JsonValue&) = default;
  friend void PrintTo(const JsonValue& v, std::ostream* os) { *os << v.dump(); }

 private:
  std::variant<std::monostate, bool, double, std::string, Array, Object> v_;
};

}  // namespace tessvik::testing
