// Builds one compact JSON text, always valid whatever the strings hold: the
// simulated Finder's events and replies are written with it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessvik::sim {

// A streaming builder: open objects and arrays, add keys and values, take the
// text. Strings are escaped (quotes, backslashes, every control character)
// and ill-formed UTF-8 becomes U+FFFD, so paths with arbitrary bytes still
// give valid JSON. Misuse (a value without a key inside an object, unclosed
// containers) is a programming error and is not diagnosed.
//
// Not thread-safe; one builder per text.
class JsonWriter {
 public:
  JsonWriter& beginObject();
  JsonWriter& endObject();
  JsonWriter& beginArray();
  JsonWriter& endArray();
  // The next member's name, inside an object.
  JsonWriter& key(std::string_view name);
  JsonWriter& value(std::string_view text);
  JsonWriter& value(const char* text) { return value(std::string_view(text)); }
  // A number; integral values are written without a fraction ("64"), and
  // values JSON cannot hold (infinities, NaN) as null.
  JsonWriter& value(double number);
  JsonWriter& null();

  // The text built so far; the builder is left empty.
  std::string take();

 private:
  void separate();

  std::string out_;
  // One entry per open container: whether it has no element yet.
  std::vector<bool> empty_;
  bool afterKey_ = false;
};

// `text` as a JSON string literal, quotes included.
void appendJsonString(std::string& out, std::string_view text);

}  // namespace tessvik::sim
