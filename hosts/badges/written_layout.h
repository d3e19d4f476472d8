// Where things stand in a badge state file's bytes, for messages that point
// at a line and column: the items of "files" as written, before the decoder
// merges keys that are the same path in two spellings.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessvik::badges {

struct Place {
  std::size_t line = 1;
  std::size_t column = 1;  // in characters, not bytes
};
// Places of bytes in a text, for many messages about one file.
class Places {
 public:
  // `bytes` must outlive this object.
  explicit Places(std::string_view bytes);
  // The place of byte `offset`.
  Place of(std::size_t offset) const;

 private:
  std::string_view bytes_;
  std::vector<std::size_t> lineStarts_;
};

struct WrittenItem {
  std::string key;  // unescaped
  std::string status;
  std::size_t offset;  // of the key's opening quote
};

struct WrittenLayout {
  // The items of the last "files" member, in file order, when it is an
  // object of strings.
  std::vector<WrittenItem> items;
};

WrittenLayout readLayout(std::string_view bytes);

}  // namespace tessvik::badges
