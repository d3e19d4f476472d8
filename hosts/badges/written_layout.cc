#include "hosts/badges/written_layout.h"
#include "text/text_place.h"

#include <simdjson.h>

#include <algorithm>

namespace tessvik::badges {
namespace {

namespace od = simdjson::ondemand;
using simdjson::SUCCESS;

constexpr int kMaxDepth = static_cast<int>(simdjson::DEFAULT_MAX_DEPTH) - 2;

class Walk {
 public:
  explicit Walk(std::string_view bytes) : padded_(bytes) {}

  WrittenLayout run() {
    od::object top;
    if (parser_.iterate(padded_).get(document_) != SUCCESS) return std::move(layout_);
    if (document_.get_object().get(top) != SUCCESS) return failed();
    for (auto member : top) {
      od::field field;
      std::string_view key;
      if (std::move(member).get(field) || field.unescaped_key().get(key)) return failed();
      if (key != "files") {
        if (!skip(field.value(), 2)) return failed();
        continue;
      }
      // A member named twice counts as written last.
      layout_.items.clear();
      od::object files;
      if (field.value().get_object().get(files) != SUCCESS) {
        if (!skip(field.value(), 2)) return failed();
        continue;
      }
      for (auto entry : files) {
        od::field item;
        if (std::move(entry).get(item)) return failed();
        const std::size_t offset = offsetOf(item.key().raw()) - 1;
        std::string_view name;
        std::string_view status;
        if (item.unescaped_key().get(name)) return failed();
        od::value value = item.value();
        if (value.get_string().get(status) != SUCCESS) return std::move(layout_);
        layout_.items.push_back({std::string(name), std::string(status), offset});
      }
    }
    return std::move(layout_);
  }

 private:
  std::size_t offsetOf(const char* p) const { return static_cast<std::size_t>(p - padded_.data()); }

  WrittenLayout failed() { return std::move(layout_); }

  // Reads a value we do not use through, so that an error in it is met.
  // `depth` counts the top-level object as 1; the parser must not be led
  // deeper than it may go (the decoder refuses such files anyway).
  bool skip(od::value value, int depth) {
    if (depth >= kMaxDepth) return false;
    od::json_type type;
    if (value.type().get(type)) return false;
    if (type == od::json_type::object) {
      od::object object;
      if (value.get_object().get(object)) return false;
      for (auto member : object) {
        od::field field;
        std::string_view key;
        if (std::move(member).get(field) || field.unescaped_key().get(key)) return false;
        if (!skip(field.value(), depth + 1)) return false;
      }
    } else if (type == od::json_type::array) {
      od::array array;
      if (value.get_array().get(array)) return false;
      for (auto element : array) {
        od::value item;
        if (std::move(element).get(item) || !skip(item, depth + 1)) return false;
      }
    } else if (type == od::json_type::string) {
      std::string_view s;
      if (value.get_string().get(s)) return false;
    } else {
      (void)value.raw_json_token();
    }
    return true;
  }

  simdjson::padded_string padded_;
  od::parser parser_;
  od::document document_;
  WrittenLayout layout_;
};

}  // namespace

Places::Places(std::string_view bytes) : bytes_(bytes), lineStarts_{0} {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') lineStarts_.push_back(i + 1);
  }
}

Place Places::of(std::size_t offset) const {
  offset = std::min(offset, bytes_.size());
  const auto next = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
  const std::size_t start = *(next - 1);
  return Place{static_cast<std::size_t>(next - lineStarts_.begin()),
               text::columnOf(bytes_, start, offset)};
}

WrittenLayout readLayout(std::string_view bytes) {
  return Walk(bytes).run();
}

}  // namespace tessvik::badges
