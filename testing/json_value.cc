#include "testing/json_value.h"

#include <simdjson.h>

#include <algorithm>
#include <charconv>

namespace tessvik::testing {
namespace {

namespace dom = simdjson::dom;

const JsonValue& nullValue() {
  static const JsonValue kNull;
  return kNull;
}

JsonValue convert(dom::element e) {
  switch (e.type()) {
    case dom::element_type::NULL_VALUE:
      return JsonValue();
    case dom::element_type::BOOL:
      return JsonValue(bool(e.get_bool().value_unsafe()));
    case dom::element_type::INT64:
      return JsonValue(static_cast<double>(e.get_int64().value_unsafe()));
    case dom::element_type::UINT64:
      return JsonValue(static_cast<double>(e.get_uint64().value_unsafe()));
    case dom::element_type::DOUBLE:
      return JsonValue(e.get_double().value_unsafe());
    case dom::element_type::STRING:
      return JsonValue(std::string(e.get_string().value_unsafe()));
    case dom::element_type::ARRAY: {
      dom::array array;
      if (e.get_array().get(array) != simdjson::SUCCESS) return JsonValue();
      JsonValue::Array items;
      for (dom::element item : array) items.push_back(convert(item));
      return JsonValue(std::move(items));
    }
    case dom::element_type::OBJECT: {
      dom::object object;
      if (e.get_object().get(object) != simdjson::SUCCESS) return JsonValue();
      JsonValue::Object members;
      for (dom::key_value_pair m : object) {
        members.emplace_back(std::string(m.key), convert(m.value));
      }
      return JsonValue(std::move(members));
    }
  }
  return JsonValue();
}

void dumpString(std::string& out, const std::string& s) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      out += "\\u00";
      out += kHex[(c >> 4) & 0xF];
      out += kHex[c & 0xF];
    } else {
      out += c;
    }
  }
  out += '"';
}

}  // namespace

JsonValue::JsonValue(Object members) {
  std::stable_sort(members.begin(), members.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  v_ = std::move(members);
}

const JsonValue::Object& JsonValue::members() const {
  static const Object kNone;
  const Object* object = std::get_if<Object>(&v_);
  return object != nullptr ? *object : kNone;
}

JsonValue JsonValue::object(std::initializer_list<std::pair<std::string, JsonValue>> members) {
  return JsonValue(Object(members));
}

JsonValue JsonValue::strings(const std::vector<std::string>& items) {
  return JsonValue(Array(items.begin(), items.end()));
}

std::optional<JsonValue> JsonValue::parse(std::string_view text) {
  dom::parser parser;
  dom::element root;
  if (parser.parse(text.data(), text.size()).get(root) != simdjson::SUCCESS) return std::nullopt;
  return convert(root);
}

const std::string& JsonValue::str() const {
  static const std::string kEmpty;
  const std::string* s = std::get_if<std::string>(&v_);
  return s != nullptr ? *s : kEmpty;
}

const JsonValue& JsonValue::operator[](std::string_view name) const {
  if (const Object* o = std::get_if<Object>(&v_)) {
    for (const auto& [key, value] : *o) {
      if (key == name) return value;
    }
  }
  return nullValue();
}

const JsonValue& JsonValue::operator[](std::size_t i) const {
  const Array* a = std::get_if<Array>(&v_);
  return a != nullptr && i < a->size() ? (*a)[i] : nullValue();
}

std::size_t JsonValue::size() const {
  if (const Array* a = std::get_if<Array>(&v_)) return a->size();
  if (const Object* o = std::get_if<Object>(&v_)) return o->size();
  return 0;
}

std::string JsonValue::dump() const {
  std::string out;
  std::visit(
      [&out](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          out += "null";
        } else if constexpr (std::is_same_v<T, bool>) {
          out += v ? "true" : "false";
        } else if constexpr (std::is_same_v<T, double>) {
          char buffer[32];
          out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
        } else if constexpr (std::is_same_v<T, std::string>) {
          dumpString(out, v);
        } else if constexpr (std::is_same_v<T, Array>) {
          out += '[';
          for (std::size_t i = 0; i < v.size(); ++i) out += (i ? "," : "") + v[i].dump();
          out += ']';
        } else {
          out += '{';
          for (std::size_t i = 0; i < v.size(); ++i) {
            if (i) out += ',';
            dumpString(out, v[i].first);
            out += ':' + v[i].second.dump();
          }
          out += '}';
        }
      },
      v_);
  return out;
}

}  // namespace tessvik::testing
