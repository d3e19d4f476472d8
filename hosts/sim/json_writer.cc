#include "hosts/sim/json_writer.h"

#include <charconv>
#include <cmath>

#include "base/json_string.h"
#include "text/unicode.h"

namespace tessvik::sim {

void appendJsonString(std::string& out, std::string_view text) {
  if (text::isAscii(text)) {
    appendJsonQuoted(out, text);
  } else {
    appendJsonQuoted(out, text::toValidUtf8(text));
  }
}

void JsonWriter::separate() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (empty_.empty()) return;
  if (!empty_.back()) out_ += ',';
  empty_.back() = false;
}

JsonWriter& JsonWriter::beginObject() {
  separate();
  out_ += '{';
  empty_.push_back(true);
  return *this;
}

JsonWriter& JsonWriter::endObject() {
  out_ += '}';
  empty_.pop_back();
  return *this;
}

JsonWriter& JsonWriter::beginArray() {
  separate();
  out_ += '[';
  empty_.push_back(true);
  return *this;
}

JsonWriter& JsonWriter::endArray() {
  out_ += ']';
  empty_.pop_back();
  return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
  separate();
  appendJsonString(out_, name);
  out_ += ':';
  afterKey_ = true;
  return *this;
}

JsonWriter& JsonWriter::value(std::string_view text) {
  separate();
  appendJsonString(out_, text);
  return *this;
}

JsonWriter& JsonWriter::value(double number) {
  if (!std::isfinite(number)) return null();
  separate();
  char buffer[32];
  std::to_chars_result r =
      std::trunc(number) == number && std::fabs(number) < 1e15
          ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(number))
          : std::to_chars(buffer, buffer + sizeof buffer, number);
  out_.append(buffer, r.ptr);
  return *this;
}

JsonWriter& JsonWriter::null() {
  separate();
  out_ += "null";
  return *this;
}

std::string JsonWriter::take() {
  std::string text = std::move(out_);
  out_.clear();
  empty_.clear();
  afterKey_ = false;
  return text;
}

}  // namespace tessvik::sim
