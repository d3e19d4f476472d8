#include "text/unicode.h"

#include <unicode/unorm2.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include <cstring>
#include <functional>
#include <vector>

namespace tessvik::text {
namespace {

const UNormalizer2* nfc() {
  // ICU caches the instance itself; asking again is cheap and thread-safe.
  UErrorCode status = U_ZERO_ERROR;
  const UNormalizer2* n = unorm2_getNFCInstance(&status);
  return U_SUCCESS(status) ? n : nullptr;
}

// UTF-8 -> UTF-16 with U+FFFD for ill-formed input.
std::u16string toUtf16(std::string_view s) {
  std::u16string out(s.size(), u'\0');  // never more UTF-16 units than bytes
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                       &length, s.data(), static_cast<int32_t>(s.size()), 0xFFFD, nullptr, &status);
  out.resize(U_SUCCESS(status) ? static_cast<size_t>(length) : 0);
  return out;
}

std::string toUtf8(const std::u16string& s) {
  std::string out(s.size() * 3, '\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length,
                     reinterpret_cast<const UChar*>(s.data()), static_cast<int32_t>(s.size()),
                     0xFFFD, nullptr, &status);
  out.resize(U_SUCCESS(status) ? static_cast<size_t>(length) : 0);
  return out;
}

// Every code point below U+0300 is in NFC and never combines with what
// precedes it, so text made only of those is already normalised.
bool allBelowCombiningMarks(std::string_view s) {
  for (unsigned char c : s) {
    // Lead bytes 0xCC and up start code points from U+0300 on.
    if (c >= 0xCC) return false;
  }
  return true;
}

}  // namespace

bool isAscii(std::string_view s) {
  const char* p = s.data();
  size_t n = s.size();
  while (n >= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    if (word & 0x8080808080808080ULL) return false;
    p += 8;
    n -= 8;
  }
  while (n-- > 0) {
    if (static_cast<unsigned char>(*p++) & 0x80) return false;
  }
  return true;
}

std::string toValidUtf8(std::string_view bytes) {
  if (isAscii(bytes)) return std::string(bytes);
  return toUtf8(toUtf16(bytes));
}

bool isKnownNfc(std::string_view s) {
  if (allBelowCombiningMarks(s)) return true;
  const UNormalizer2* n = nfc();
  if (n == nullptr) return false;
  std::u16string wide = toUtf16(s);
  UErrorCode status = U_ZERO_ERROR;
  UNormalizationCheckResult r = unorm2_quickCheck(n, reinterpret_cast<const UChar*>(wide.data()),
                                                  static_cast<int32_t>(wide.size()), &status);
  return U_SUCCESS(status) && r == UNORM_YES;
}

std::string toNfc(std::string_view s) {
  if (allBelowCombiningMarks(s)) return toValidUtf8(s);
  const UNormalizer2* n = nfc();
  std::u16string wide = toUtf16(s);
  if (n == nullptr) return toUtf8(wide);
  // NFC of UTF-16 text grows by at most a factor of three.
  std::u16string out(wide.size() * 3 + 1, u'\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = unorm2_normalize(
      n, reinterpret_cast<const UChar*>(wide.data()), static_cast<int32_t>(wide.size()),
      reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()), &status);
  if (U_FAILURE(status)) return toUtf8(wide);
  out.resize(static_cast<size_t>(length));
  return toUtf8(out);
}

bool canonicallyEqual(std::string_view a, std::string_view b) {
  if (a == b) return true;
  if (isAscii(a) && isAscii(b)) return false;
  return toNfc(a) == toNfc(b);
}

std::uint64_t byteHash(std::string_view s) {
  return std::hash<std::string_view>{}(s);
}

std::uint64_t canonicalHash(std::string_view s) {
  if (isKnownNfc(s)) return byteHash(s);
  return byteHash(toNfc(s));
}

}  // namespace tessvik::text
