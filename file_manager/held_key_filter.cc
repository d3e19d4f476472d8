#include "file_manager/held_key_filter.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tessvik {

void HeldKeyFilter::clear() {
  std::fill(bits_.begin(), bits_.end(), 0);
}

std::size_t HeldKeyFilter::slotOf(std::string_view path) {
  // From the path's last bytes: those of its last segment after its last
  // byte that is not ASCII, eight at most. Standardising a path leaves its
  // last segment as it is (unless that is "." or ".."), and canonically
  // equivalent spellings end with the same ASCII bytes, since a combining
  // mark follows the letter it belongs to. So a push in any form finds the
  // bit of a key held standardised and in NFC.
  constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
  constexpr std::uint64_t kLow = 0x7F7F7F7F7F7F7F7FULL;
  const std::size_t n = std::min<std::size_t>(path.size(), 8);
  std::uint64_t tail = 0;  // the last byte in the top eight bits
  std::memcpy(reinterpret_cast<char*>(&tail) + 8 - n, path.data() + path.size() - n, n);
  const std::uint64_t notSlash = tail ^ 0x2F2F2F2F2F2F2F2FULL;  // zero where '/'
  const std::uint64_t slashes = ~(((notSlash & kLow) + kLow) | notSlash | kLow);
  if (const std::uint64_t stops = (tail & kHigh) | slashes; stops != 0) {
    const int last = (63 - std::countl_zero(stops)) / 8;
    tail = last == 7 ? 0 : tail >> (8 * (last + 1));
  }
  return static_cast<std::size_t>((tail * 0x9E3779B97F4A7C15ULL) >> (64 - kBits));
}

}  // namespace tessvik
