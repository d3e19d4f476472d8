#include "fuzz/reference.h"

#include <unicode/ubrk.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include <cstdlib>
#include <memory>

namespace tessvik::fuzz {
namespace {

std::u16string toUtf16(std::string_view s) {
  std::u16string out(s.size() + 1, u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()), &length,
                s.data(), static_cast<int32_t>(s.size()), &status);
  if (U_FAILURE(status)) std::abort();
  out.resize(static_cast<std::size_t>(length));
  return out;
}

std::string toUtf8(std::u16string_view s) {
  std::string out(s.size() * 3 + 1, '\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &length,
              reinterpret_cast<const UChar*>(s.data()), static_cast<int32_t>(s.size()), &status);
  if (U_FAILURE(status)) std::abort();
  out.resize(static_cast<std::size_t>(length));
  return out;
}

}  // namespace

namespace {

bool allDigits(std::string_view s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// JSON's grammar, -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?, taken
// apart at its signs: the sign, the exponent, the fraction, the integer.
bool isNumber(std::string_view s) {
  if (s.starts_with('-')) s.remove_prefix(1);
  const std::size_t e = s.find_first_of("eE");
  if (e != std::string_view::npos) {
    std::string_view exponent = s.substr(e + 1);
    if (exponent.starts_with('+') || exponent.starts_with('-')) exponent.remove_prefix(1);
    if (!allDigits(exponent)) return false;
    s = s.substr(0, e);
  }
  const std::size_t dot = s.find('.');
  if (dot != std::string_view::npos) {
    if (!allDigits(s.substr(dot + 1))) return false;
    s = s.substr(0, dot);
  }
  return allDigits(s) && (s == "0" || s.front() != '0');
}

}  // namespace

std::string numbersAsZero(std::string_view json) {
  const auto endsToken = [](char c) {
    return std::string_view("{}[],:\" \t\n\r").find(c) != std::string_view::npos;
  };
  std::string out(json);
  std::size_t i = 0;
  while (i < out.size()) {
    if (out[i] == '"') {
      for (++i; i < out.size() && out[i] != '"'; ++i) {
        if (out[i] == '\\') ++i;
      }
      ++i;
    } else if (endsToken(out[i])) {
      ++i;
    } else {
      std::size_t end = i;
      while (end < out.size() && !endsToken(out[end])) ++end;
      if (isNumber(std::string_view(out).substr(i, end - i))) {
        out[i] = '0';
        for (std::size_t j = i + 1; j < end; ++j) out[j] = ' ';
      }
      i = end;
    }
  }
  return out;
}

bool isWellFormed(std::string_view s) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(s.data());
  const auto size = static_cast<int32_t>(s.size());
  for (int32_t i = 0; i < size;) {
    UChar32 c;
    U8_NEXT(bytes, i, size, c);
    if (c < 0) return false;
  }
  return true;
}

std::string nfc(std::string_view s) {
  UErrorCode status = U_ZERO_ERROR;
  const UNormalizer2* normalizer = unorm2_getNFCInstance(&status);
  const std::u16string wide = toUtf16(s);
  std::u16string out(wide.size() * 4 + 4, u'\0');
  const int32_t length = unorm2_normalize(
      normalizer, reinterpret_cast<const UChar*>(wide.data()), static_cast<int32_t>(wide.size()),
      reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()), &status);
  if (U_FAILURE(status)) std::abort();
  out.resize(static_cast<std::size_t>(length));
  return toUtf8(out);
}

std::vector<std::string> graphemes(std::string_view s) {
  const std::u16string wide = toUtf16(s);
  UErrorCode status = U_ZERO_ERROR;
  UBreakIterator* it = ubrk_open(UBRK_CHARACTER, "", reinterpret_cast<const UChar*>(wide.data()),
                                 static_cast<int32_t>(wide.size()), &status);
  if (U_FAILURE(status)) std::abort();
  std::vector<std::string> out;
  int32_t start = ubrk_first(it);
  for (int32_t end = ubrk_next(it); end != UBRK_DONE; start = end, end = ubrk_next(it)) {
    out.push_back(toUtf8(std::u16string_view(wide).substr(static_cast<std::size_t>(start),
                                                          static_cast<std::size_t>(end - start))));
  }
  ubrk_close(it);
  return out;
}

ReferenceMatch under(std::string_view item, std::string_view root) {
  ReferenceMatch result;
  if (root.empty() || root.front() != '/') return result;
  const std::string p = nfc(item);
  const std::string r = nfc(root);
  const std::vector<std::string> rootCharacters = graphemes(r);
  result.rootCharacters = rootCharacters.size();
  if (p == r) {
    result.matches = true;
    return result;
  }
  const std::vector<std::string> itemCharacters = graphemes(p);
  // The root followed by a "/" character; "/" is its own (it holds every
  // absolute path).
  const std::vector<std::string> prefix = graphemes(r == "/" ? r : r + "/");
  if (prefix.size() > itemCharacters.size()) return result;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (prefix[i] != itemCharacters[i]) return result;
  }
  result.matches = true;
  std::size_t begin = rootCharacters.size();
  std::size_t end = itemCharacters.size();
  while (begin < end && itemCharacters[begin] == "/") ++begin;
  while (end > begin && itemCharacters[end - 1] == "/") --end;
  for (std::size_t i = begin; i < end; ++i) result.relativePath += itemCharacters[i];
  return result;
}

}  // namespace tessvik::fuzz
