// Text under canonical equivalence: a precomposed "é" (U+00E9) and "e"
// followed by U+0301 are the same text for every comparison of paths, keys
// and statuses. Pure ASCII, by far the common case, never allocates.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessvik::text {

bool isAscii(std::string_view s);

// `bytes` with every ill-formed UTF-8 sequence replaced by U+FFFD.
std::string toValidUtf8(std::string_view bytes);

// Whether `s` (valid UTF-8) is certainly in NFC without normalising it: true
// for ASCII, for text below U+0300, and for text that ICU's quick check
// accepts. False means "maybe not": normalise to be sure.
bool isKnownNfc(std::string_view s);

// The NFC form of `s` (valid UTF-8; ill-formed bytes become U+FFFD).
std::string toNfc(std::string_view s);

// Whether `a` and `b` are canonically equivalent.
bool canonicallyEqual(std::string_view a, std::string_view b);

// A hash that is equal for canonically equivalent texts.
std::uint64_t canonicalHash(std::string_view s);

// The plain byte hash that canonicalHash uses for text already in NFC.
std::uint64_t byteHash(std::string_view s);

// canonicalHash, exactly, for paths hashed one after another that mostly lie
// in the same folder as the one before, as the keys of a badge state file do
// in file order. The folder of the last path that was not ASCII (up to its
// last "/") is kept with its NFC form: a path in that folder has only the
// rest checked, and where the folder was not in NFC, the hash of the NFC
// form is taken without normalising the folder again. Not thread-safe.
class PathHasher {
 public:
  std::uint64_t hash(std::string_view path);

 private:
  std::string folder_;     // well-formed, not ASCII, ends in "/"; or empty
  std::string nfcFolder_;  // its NFC form
  bool folderIsNfc_ = false;
  std::string joined_;  // nfcFolder_ and the rest of a path
};

}  // namespace tessvik::text
