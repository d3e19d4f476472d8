// Slow, obviously right operations for the fuzz targets to check the fast
// ones against: ICU's full NFC normalisation and its grapheme break
// iterator, on UTF-16, with nothing skipped; JSON's number grammar.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace tessvik::fuzz {

// A failed check is a finding: the fuzzer stops there with the input.
inline void check(bool condition) {
  if (!condition) std::abort();
}

// `json` with every number token that JSON's grammar accepts written as 0
// (and blanks, to keep every other byte where it was): a tree-building
// reader then accepts it whatever its value, as a badge state file reader
// must in the members it ignores. Malformed tokens stay as they are.
std::string numbersAsZero(std::string_view json);

// The NFC form of `s`; nothing when `s` is not well-formed UTF-8.
std::optional<std::string> nfc(std::string_view s);

// What lookup must find for the item path `item` under the root path `root`
// (both standardised and well-formed): nothing, or the relative path in NFC
// and the root's length in characters. Paths are compared under canonical
// equivalence, whole characters at a time: the item is the root itself, or
// begins with the root and a "/" that is a character of its own ("/" holds
// every absolute path); the relative path is the item without the root's
// characters, with every "/" character trimmed from both ends.
struct ReferenceMatch {
  std::string relativePath;
  std::size_t rootCharacters = 0;
};
std::optional<ReferenceMatch> under(std::string_view item, std::string_view root);

}  // namespace tessvik::fuzz
