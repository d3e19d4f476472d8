#include "base/json_string.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace tessvik {
namespace {

// Control characters, '"' and '\\' must be escaped in a JSON string; every
// other byte, UTF-8 included, is written as it is.
constexpr std::array<bool, 256> kNeedsEscape = [] {
  std::array<bool, 256> table{};
  for (int c = 0; c < 0x20; ++c) table[c] = true;
  table['"'] = table['\\'] = true;
  return table;
}();

// Whether any of the 8 bytes of `word` needs escaping: below 0x20, '"' or
// '\\' (the bit tricks of "Bit Twiddling Hacks": a byte less than n, a byte
// equal to n). A million keys of a badge state file are mostly plain text,
// looked at eight bytes at a time.
bool anyNeedsEscape(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101;
  constexpr std::uint64_t kHighs = 0x8080808080808080;
  const auto zeroByte = [](std::uint64_t x) { return (x - kOnes) & ~x & kHighs; };
  const std::uint64_t below20 = (word - kOnes * 0x20) & ~word & kHighs;
  return (below20 | zeroByte(word ^ (kOnes * '"')) | zeroByte(word ^ (kOnes * '\\'))) != 0;
}

}  // namespace

void appendJsonQuoted(std::string& out, std::string_view s) {
  out += '"';
  std::size_t start = 0;
  std::size_t i = 0;
  for (std::uint64_t word; i + 8 <= s.size(); i += 8) {
    std::memcpy(&word, s.data() + i, 8);
    if (anyNeedsEscape(word)) break;
  }
  // The last bytes, as the last eight, which may overlap those seen.
  if (i < s.size() && i + 8 > s.size() && s.size() >= 8) {
    std::uint64_t word;
    std::memcpy(&word, s.data() + s.size() - 8, 8);
    if (!anyNeedsEscape(word)) i = s.size();
  }
  for (; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (!kNeedsEscape[c]) continue;
    out.append(s.data() + start, i - start);
    start = i + 1;
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      default: {
        static constexpr char kHex[] = "0123456789abcdef";
        const char escaped[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
        out.append(escaped, sizeof escaped);
      }
    }
  }
  out.append(s.data() + start, s.size() - start);
  out += '"';
}

}  // namespace tessvik
