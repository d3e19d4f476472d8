// Where a byte of a text stands, as people count: for messages that point
// into a badge state file.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace tessvik::text {

// The column, counted in characters from 1, of byte `offset` of `text`, on
// the line that begins at byte `lineStart`: a UTF-8 character counts at its
// first byte, and a byte-order mark at the start of the text is no
// character.
inline std::size_t columnOf(std::string_view text, std::size_t lineStart, std::size_t offset) {
  if (lineStart == 0 && text.starts_with("\xEF\xBB\xBF")) {
    lineStart = std::min<std::size_t>(3, offset);
  }
  std::size_t column = 1;
  for (std::size_t i = lineStart; i < offset; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++column;
  }
  return column;
}

}  // namespace tessvik::text
