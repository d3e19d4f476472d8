#include "text/unicode.h"

#include <unicode/unorm2.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>

#include "base/bytes.h"

namespace tessvik::text {
namespace {

const UNormalizer2* nfc() {
  // ICU caches the instance itself; asking again is cheap and thread-safe.
  UErrorCode status = U_ZERO_ERROR;
  const UNormalizer2* n = unorm2_getNFCInstance(&status);
  return U_SUCCESS(status) ? n : nullptr;
}

// Working memory for one conversion: on the stack for texts of the size of a
// path, on the heap beyond. The hash of every key that is not known to be in
// NFC goes through here while a file of a million items is decoded, so the
// common case must not allocate.
template <class T, std::size_t kInline>
class Scratch {
 public:
  explicit Scratch(std::size_t size) : size_(size) {
    // Left uninitialised, as the inline buffer is: ICU writes before it reads.
    // (A plain new[], where make_unique_for_overwrite would say the same:
    // the libc++ of Xcode 13 and 14 lacks it.)
    if (size > kInline) heap_.reset(new T[size]);
  }
  T* data() { return heap_ ? heap_.get() : inline_; }
  int32_t capacity() const { return static_cast<int32_t>(size_); }

 private:
  T inline_[kInline];
  std::unique_ptr<T[]> heap_;
  std::size_t size_;
};
using Utf16Scratch = Scratch<UChar, 256>;
using Utf8Scratch = Scratch<char, 512>;

// UTF-8 -> UTF-16 with U+FFFD for ill-formed input, into `out` (sized to
// s.size(): never more UTF-16 units than bytes). Returns the length, and
// counts the substitutions into `substitutions` if given.
int32_t toUtf16(std::string_view s, UChar* out, int32_t capacity,
                int32_t* substitutions = nullptr) {
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(out, capacity, &length, s.data(), static_cast<int32_t>(s.size()), 0xFFFD,
                       substitutions, &status);
  return U_SUCCESS(status) ? length : 0;
}

// UTF-16 -> UTF-8 into `out` (sized to three bytes a unit).
std::string_view toUtf8(const UChar* s, int32_t length, char* out, int32_t capacity) {
  int32_t written = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8WithSub(out, capacity, &written, s, length, 0xFFFD, nullptr, &status);
  return std::string_view(out, U_SUCCESS(status) ? static_cast<std::size_t>(written) : 0);
}

// Every code point below U+0300 is in NFC and never combines with what
// precedes it, so text made only of those is already normalised.
// Lead bytes 0xCC and up start code points from U+0300 on; this looks for
// them eight bytes at a time. A byte is 0xCC or more when its top bit is set
// and its low seven bits are 0x4C or more: adding 0x34 to the low bits then
// carries into the top bit, and never beyond the byte.
bool allBelowCombiningMarks(std::string_view s) {
  constexpr std::uint64_t kTop = 0x8080808080808080ULL;
  constexpr std::uint64_t kLow = 0x7F7F7F7F7F7F7F7FULL;
  constexpr std::uint64_t kAdd = 0x3434343434343434ULL;
  const char* p = s.data();
  std::size_t n = s.size();
  while (n >= 8) {
    const std::uint64_t word = bytes::load8(p);
    if (word & kTop & ((word & kLow) + kAdd)) return false;
    p += 8;
    n -= 8;
  }
  for (; n > 0; --n) {
    if (static_cast<unsigned char>(*p++) >= 0xCC) return false;
  }
  return true;
}

// Whether `s` is well-formed UTF-8 that ICU's quick check says is in NFC
// for certain.
bool quickCheckSaysNfc(std::string_view s) {
  const UNormalizer2* n = nfc();
  if (n == nullptr) return false;
  Utf16Scratch wide(s.size());
  int32_t substitutions = 0;
  const int32_t length = toUtf16(s, wide.data(), wide.capacity(), &substitutions);
  if (substitutions != 0) return false;
  UErrorCode status = U_ZERO_ERROR;
  const UNormalizationCheckResult r = unorm2_quickCheck(n, wide.data(), length, &status);
  return U_SUCCESS(status) && r == UNORM_YES;
}

// Calls `use` with the NFC form of `s` (ill-formed bytes become U+FFFD),
// built in scratch memory that lives only for the call.
template <class Use>
auto withNfc(std::string_view s, Use&& use) {
  Utf16Scratch wide(s.size());
  int32_t length = toUtf16(s, wide.data(), wide.capacity());
  const UNormalizer2* n = nfc();
  // NFC of UTF-16 text grows by at most a factor of three.
  Utf16Scratch normal(n != nullptr ? 3 * static_cast<std::size_t>(length) + 1 : 0);
  const UChar* text = wide.data();
  if (n != nullptr) {
    UErrorCode status = U_ZERO_ERROR;
    const int32_t normalLength =
        unorm2_normalize(n, wide.data(), length, normal.data(), normal.capacity(), &status);
    if (U_SUCCESS(status)) {
      text = normal.data();
      length = normalLength;
    }
  }
  Utf8Scratch narrow(3 * static_cast<std::size_t>(length) + 1);
  return use(toUtf8(text, length, narrow.data(), narrow.capacity()));
}

// ICU's UTF-8 macros narrow ints to bytes internally.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wconversion"
bool isValidUtf8(std::string_view s) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(s.data());
  const auto size = static_cast<int32_t>(s.size());
  int32_t i = 0;
  while (i < size) {
    // Runs of ASCII, eight bytes at a time.
    if (i + 8 <= size) {
      if ((bytes::load8(s.data() + i) & 0x8080808080808080ULL) == 0) {
        i += 8;
        continue;
      }
    }
    UChar32 c;
    U8_NEXT(bytes, i, size, c);
    if (c < 0) return false;
  }
  return true;
}
#pragma GCC diagnostic pop

}  // namespace

bool isAscii(std::string_view s) {
  const char* p = s.data();
  size_t n = s.size();
  while (n >= 8) {
    if (bytes::load8(p) & 0x8080808080808080ULL) return false;
    p += 8;
    n -= 8;
  }
  while (n-- > 0) {
    if (static_cast<unsigned char>(*p++) & 0x80) return false;
  }
  return true;
}

std::string toValidUtf8(std::string_view bytes) {
  if (isAscii(bytes) || isValidUtf8(bytes)) return std::string(bytes);
  Utf16Scratch wide(bytes.size());
  const int32_t length = toUtf16(bytes, wide.data(), wide.capacity());
  Utf8Scratch narrow(3 * static_cast<std::size_t>(length) + 1);
  return std::string(toUtf8(wide.data(), length, narrow.data(), narrow.capacity()));
}

bool isKnownNfc(std::string_view s) {
  return allBelowCombiningMarks(s) || quickCheckSaysNfc(s);
}

std::string toNfc(std::string_view s) {
  if (allBelowCombiningMarks(s) && isValidUtf8(s)) return std::string(s);
  return withNfc(s, [](std::string_view normal) { return std::string(normal); });
}

bool canonicallyEqual(std::string_view a, std::string_view b) {
  if (a == b) return true;
  if (isAscii(a) && isAscii(b)) return false;
  return withNfc(a, [&](std::string_view nfcA) {
    return withNfc(b, [&](std::string_view nfcB) { return nfcA == nfcB; });
  });
}

namespace {

// A multiply-and-fold hash in the manner of wyhash, with no byte loop. The
// first load of a large badge state file hashes a million keys, and every
// badge request hashes one.
__extension__ using Wide = unsigned __int128;

std::uint64_t fold(std::uint64_t a, std::uint64_t b) {
  const Wide product = static_cast<Wide>(a) * b;
  return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}

// One to seven bytes as a word: the first, the middle and the last byte
// cover every length without reading past the end.
std::uint64_t loadShort(const char* p, std::size_t n) {
  const auto byte = [p](std::size_t i) {
    return static_cast<std::uint64_t>(static_cast<unsigned char>(p[i]));
  };
  if (n >= 4) return (static_cast<std::uint64_t>(bytes::load4(p)) << 32) | bytes::load4(p + n - 4);
  return (byte(0) << 16) | (byte(n / 2) << 8) | byte(n - 1);
}

constexpr std::uint64_t kSecret0 = 0xA0761D6478BD642FULL;
constexpr std::uint64_t kSecret1 = 0xE7037ED1A0B428DBULL;
constexpr std::uint64_t kSecret2 = 0x8EBC6AF09C88C6E3ULL;
constexpr std::uint64_t kSecret3 = 0x589965CC75374CC3ULL;

}  // namespace

namespace {

// byteHash, and whether the bytes are all ASCII: every byte goes through the
// hash's loads, so their top bits are gathered on the way, and the common
// ASCII key is read once rather than twice.
struct HashedBytes {
  std::uint64_t hash;
  bool ascii;
};

HashedBytes hashBytes(std::string_view s) {
  const char* p = s.data();
  std::size_t n = s.size();
  std::uint64_t seed = kSecret0 ^ fold(n ^ kSecret1, kSecret2);
  std::uint64_t seen = 0;
  // Long texts go 48 bytes a step, in three lanes whose multiplications do
  // not wait for one another.
  if (n > 48) {
    std::uint64_t lane1 = seed, lane2 = seed;
    do {
      const std::uint64_t w0 = bytes::load8(p), w1 = bytes::load8(p + 8), w2 = bytes::load8(p + 16);
      const std::uint64_t w3 = bytes::load8(p + 24), w4 = bytes::load8(p + 32),
                          w5 = bytes::load8(p + 40);
      seen |= w0 | w1 | w2 | w3 | w4 | w5;
      seed = fold(w0 ^ kSecret1, w1 ^ seed);
      lane1 = fold(w2 ^ kSecret2, w3 ^ lane1);
      lane2 = fold(w4 ^ kSecret3, w5 ^ lane2);
      p += 48;
      n -= 48;
    } while (n > 48);
    seed ^= lane1 ^ lane2;
  }
  // The last one to 48 bytes (a path is mostly 20 to 60): whole sixteen-byte
  // pieces are folded each on its own, side by side, then the last sixteen
  // bytes, which may overlap them.
  std::uint64_t pieces = 0;
  if (n > 16) {
    const std::uint64_t w0 = bytes::load8(p), w1 = bytes::load8(p + 8);
    seen |= w0 | w1;
    pieces = fold(w0 ^ kSecret2, w1 ^ seed);
    if (n > 32) {
      const std::uint64_t w2 = bytes::load8(p + 16), w3 = bytes::load8(p + 24);
      seen |= w2 | w3;
      pieces ^= fold(w2 ^ kSecret3, w3 ^ seed);
    }
  }
  // loadShort keeps each byte whole, so top bits stay top bits.
  std::uint64_t a = 0, b = 0;
  if (n > 8) {
    a = bytes::load8(p + n - std::min<std::size_t>(n, 16));
    b = bytes::load8(p + n - 8);
  } else if (n > 0) {
    a = loadShort(p, n);
  }
  seen |= a | b;
  return {fold(kSecret1 ^ s.size(), fold(a ^ kSecret1, b ^ seed) ^ pieces),
          (seen & 0x8080808080808080ULL) == 0};
}

}  // namespace

std::uint64_t byteHash(std::string_view s) {
  return hashBytes(s).hash;
}

namespace {

// Whether `s` is well-formed and known to be in NFC. The quick check's
// conversion already refuses ill-formed bytes.
bool isWellFormedKnownNfc(std::string_view s) {
  return allBelowCombiningMarks(s) ? isValidUtf8(s) : quickCheckSaysNfc(s);
}

// canonicalHash of `s`, whose bytes hash to `bytes`.
std::uint64_t canonicalHashOf(std::string_view s, HashedBytes bytes) {
  // Equal texts must hash alike, and canonicallyEqual compares NFC forms in
  // which ill-formed bytes became U+FFFD: only well-formed text known to be
  // in NFC is its own NFC form.
  if (bytes.ascii || isWellFormedKnownNfc(s)) return bytes.hash;
  return withNfc(s, [](std::string_view normal) { return byteHash(normal); });
}

}  // namespace

std::uint64_t canonicalHash(std::string_view s) {
  return canonicalHashOf(s, hashBytes(s));
}

std::uint64_t PathHasher::hash(std::string_view path) {
  const HashedBytes bytes = hashBytes(path);
  if (bytes.ascii) return bytes.hash;
  // The folder (the path up to its last "/"), its NFC form, and whether it
  // is that already.
  std::size_t folderSize = folder_.size();
  std::string_view nfcFolder;
  bool folderIsNfc = true;
  if (!folder_.empty() && path.starts_with(folder_)) {
    nfcFolder = nfcFolder_;
    folderIsNfc = folderIsNfc_;
  } else {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return canonicalHashOf(path, bytes);
    folderSize = slash + 1;
    nfcFolder = path.substr(0, folderSize);
    if (!isAscii(nfcFolder)) {
      if (!isValidUtf8(nfcFolder)) return canonicalHashOf(path, bytes);
      folder_.assign(nfcFolder);
      nfcFolder_ = toNfc(folder_);
      folderIsNfc_ = nfcFolder_ == folder_;
      nfcFolder = nfcFolder_;
      folderIsNfc = folderIsNfc_;
    }
  }
  // "/" takes part in no composition and ends every ill-formed sequence: the
  // NFC form of the path is that of its folder followed by that of the rest.
  const std::string_view rest = path.substr(folderSize);
  if (isWellFormedKnownNfc(rest)) {
    if (folderIsNfc) return bytes.hash;
    joined_.assign(nfcFolder);
    joined_ += rest;
  } else {
    withNfc(rest, [&](std::string_view nfcRest) {
      joined_.assign(nfcFolder);
      joined_ += nfcRest;
      return 0;
    });
  }
  return byteHash(joined_);
}

}  // namespace tessvik::text
