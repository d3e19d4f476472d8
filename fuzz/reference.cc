#include "fuzz/reference.h"

#include <unicode/ubrk.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <regex>
#include <vector>

namespace tessvik::fuzz {
namespace {

// Nothing when `s` is not well-formed UTF-8 (ICU's conversion is strict).
std::optional<std::u16string> toUtf16(std::string_view s) {
  std::u16string out(s.size(), u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()), &length,
                s.data(), static_cast<int32_t>(s.size()), &status);
  if (U_FAILURE(status)) return std::nullopt;
  out.resize(static_cast<std::size_t>(length));
  return out;
}

std::string toUtf8(std::u16string_view s) {
  std::string out(s.size() * 3, '\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &length,
              reinterpret_cast<const UChar*>(s.data()), static_cast<int32_t>(s.size()), &status);
  check(U_SUCCESS(status));
  out.resize(static_cast<std::size_t>(length));
  return out;
}

// The extended grapheme clusters of well-formed UTF-8 text, in order.
std::vector<std::string> graphemes(std::string_view s) {
  const std::u16string wide = toUtf16(s).value();
  UErrorCode status = U_ZERO_ERROR;
  UBreakIterator* it = ubrk_open(UBRK_CHARACTER, "", reinterpret_cast<const UChar*>(wide.data()),
                                 static_cast<int32_t>(wide.size()), &status);
  check(U_SUCCESS(status));
  std::vector<std::string> out;
  for (int32_t start = ubrk_first(it), end; (end = ubrk_next(it)) != UBRK_DONE; start = end) {
    out.push_back(toUtf8(std::u16string_view(wide).substr(static_cast<std::size_t>(start),
                                                          static_cast<std::size_t>(end - start))));
  }
  ubrk_close(it);
  return out;
}

// JSON's number grammar, as written in its standard.
bool isNumber(std::string_view s) {
  static const std::regex kNumber(R"(-?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?)");
  return std::regex_match(s.begin(), s.end(), kNumber);
}

}  // namespace

std::string numbersAsZero(std::string_view json) {
  const auto endsToken = [](char c) {
    return std::string_view("{}[],:\" \t\n\r").find(c) != std::string_view::npos;
  };
  std::string out(json);
  for (std::size_t i = 0; i < out.size();) {
    if (out[i] == '"') {  // a string, escapes and all
      for (++i; i < out.size() && out[i] != '"'; ++i) i += out[i] == '\\';
      ++i;
    } else if (endsToken(out[i])) {
      ++i;
    } else {
      std::size_t end = i;
      while (end < out.size() && !endsToken(out[end])) ++end;
      if (isNumber(std::string_view(out).substr(i, end - i))) {
        out[i] = '0';
        std::fill(out.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                  out.begin() + static_cast<std::ptrdiff_t>(end), ' ');
      }
      i = end;
    }
  }
  return out;
}

std::optional<std::string> nfc(std::string_view s) {
  const std::optional<std::u16string> wide = toUtf16(s);
  if (!wide) return std::nullopt;
  UErrorCode status = U_ZERO_ERROR;
  const UNormalizer2* normalizer = unorm2_getNFCInstance(&status);
  std::u16string out(wide->size() * 4 + 4, u'\0');
  const int32_t length = unorm2_normalize(
      normalizer, reinterpret_cast<const UChar*>(wide->data()), static_cast<int32_t>(wide->size()),
      reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()), &status);
  check(U_SUCCESS(status));
  out.resize(static_cast<std::size_t>(length));
  return toUtf8(out);
}

std::optional<ReferenceMatch> under(std::string_view item, std::string_view root) {
  const std::string p = nfc(item).value();
  const std::string r = nfc(root).value();
  if (!r.starts_with('/')) return std::nullopt;
  ReferenceMatch match{"", graphemes(r).size()};
  if (p == r) return match;
  const std::vector<std::string> itemCharacters = graphemes(p);
  const std::vector<std::string> prefix = graphemes(r == "/" ? r : r + "/");
  if (prefix.size() > itemCharacters.size() ||
      !std::equal(prefix.begin(), prefix.end(), itemCharacters.begin())) {
    return std::nullopt;
  }
  std::size_t begin = match.rootCharacters;
  std::size_t end = itemCharacters.size();
  while (begin < end && itemCharacters[begin] == "/") ++begin;
  while (end > begin && itemCharacters[end - 1] == "/") --end;
  for (std::size_t i = begin; i < end; ++i) match.relativePath += itemCharacters[i];
  return match;
}

}  // namespace tessvik::fuzz
