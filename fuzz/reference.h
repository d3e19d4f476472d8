// Slow, obviously right operations for the fuzz targets to check the fast
// ones against: ICU's full NFC normalisation and its grapheme break
// iterator, on UTF-16, with nothing skipped; JSON's number grammar.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessvik::fuzz {

// `json` with every number token that JSON's grammar accepts written as 0
// (and blanks, to keep every other byte where it was): a tree-building
// reader then accepts it whatever its value, as a badge state file reader
// must in the members it ignores. Malformed tokens stay as they are.
std::string numbersAsZero(std::string_view json);

// Whether `s` is well-formed UTF-8.
bool isWellFormed(std::string_view s);

// The NFC form of well-formed UTF-8 text.
std::string nfc(std::string_view s);

// The extended grapheme clusters of well-formed UTF-8 text, in order.
std::vector<std::string> graphemes(std::string_view s);

// What lookup must find for the item path `item` under the root path `root`
// (both standardised and well-formed): nothing, or the relative path in NFC.
// Paths are compared under canonical equivalence, whole characters at a
// time: the item is the root itself, or begins with the root and a "/" that
// is a character of its own; the relative path is the item without the
// root's characters, with every "/" character trimmed from both ends.
struct ReferenceMatch {
  bool matches = false;
  std::string relativePath;
  std::size_t rootCharacters = 0;
};
ReferenceMatch under(std::string_view item, std::string_view root);

}  // namespace tessvik::fuzz
