#include "base/json_string.h"

#include <array>

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

}  // namespace

void appendJsonQuoted(std::string& out, std::string_view s) {
  out += '"';
  std::size_t start = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
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
