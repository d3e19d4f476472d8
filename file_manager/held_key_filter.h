// A first load pushes up to a million items, nearly none of them held by the
// file manager: one bit per key, picked by the key's last bytes, rules out
// most pushes before their path is even standardised.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tessvik {

// A bit is set for every key added; a path whose bit is clear names no key
// added, in any Unicode form and whether standardised or not (except a path
// ending in "." or "..", which the caller checks otherwise). False
// positives are allowed: a set bit only says "look".
//
// Memory: 128 KiB once a key was added, nothing before. Thread-safety: main
// loop only. Nothing here throws but std::bad_alloc.
class HeldKeyFilter {
 public:
  // Whether the key `path` names may have been added. Only after an add().
  bool mayHold(std::string_view path) const {
    const std::size_t slot = slotOf(path);
    return (bits_[slot >> 6] >> (slot & 63)) & 1;
  }
  void add(std::string_view key) {
    if (bits_.empty()) bits_.resize((std::size_t{1} << kBits) / 64);
    const std::size_t slot = slotOf(key);
    bits_[slot >> 6] |= std::uint64_t{1} << (slot & 63);
  }
  // Clears every bit, keeping the table.
  void clear();

 private:
  static constexpr int kBits = 20;
  static std::size_t slotOf(std::string_view path);

  std::vector<std::uint64_t> bits_;
};

}  // namespace tessvik
