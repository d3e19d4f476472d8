// Word loads and byte comparisons for the hot loops over text: hashing keys,
// scanning paths, comparing a key with the one at the same place in the
// previous table. Loads go through memcpy, which compilers turn into one
// unaligned load, so a pointer may point anywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tessvik::bytes {

// The 8 bytes at p, in the machine's byte order.
inline std::uint64_t load8(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// The 4 bytes at p, in the machine's byte order.
inline std::uint32_t load4(const char* p) {
  std::uint32_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// Whether the n bytes at a and b are equal: a word at a time, inline, since
// keys and statuses are short and compared a million times per re-read.
// With n == 0 neither pointer is read (either may be null).
inline bool same(const char* a, const char* b, std::size_t n) {
  if (n >= 8) {
    for (std::size_t i = 0; i + 8 < n; i += 8) {
      if (load8(a + i) != load8(b + i)) return false;
    }
    return load8(a + n - 8) == load8(b + n - 8);
  }
  if (n >= 4) return load4(a) == load4(b) && load4(a + n - 4) == load4(b + n - 4);
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

}  // namespace tessvik::bytes
