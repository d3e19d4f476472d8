// The path and text functions of a badge request, on an item and two roots
// (the input is item, root and second root separated by NUL bytes, which no
// path can hold). Checks:
//  - standardising a file URL is idempotent, gives a path without empty,
//    "." or ".." segments, and standardizedPath agrees with standardized();
//  - canonicallyEqual, canonicalHash, toNfc and isKnownNfc agree with ICU's
//    full NFC normalisation, and equal texts hash alike (for any bytes; the
//    decoder's target checks a status table's lookup by them);
//  - ItemPath::under agrees with a slow reference built on ICU's grapheme
//    break iterator and full normalisation, orders two matching roots by
//    their length in characters, and its quick test never rules out a root
//    that holds the item.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_url.h"
#include "fuzz/reference.h"
#include "text/path_match.h"
#include "text/unicode.h"

namespace {

using tessvik::FileUrl;
using tessvik::fuzz::check;
namespace text = tessvik::text;
namespace reference = tessvik::fuzz;

std::string standardizedPath(std::string_view path) {
  const FileUrl url = FileUrl::fromPath(path, false);
  const FileUrl once = url.standardized();
  check(once == once.standardized());
  std::string scratch;
  check(url.standardizedPath(scratch) == once.path());
  const std::string& p = once.path();
  if (path.starts_with('/')) {
    check(p.starts_with('/') && (p == "/" || !p.ends_with('/')));
    check(p.find("//") == std::string::npos);
    check(p.find("/./") == std::string::npos && !p.ends_with("/."));
    check(p.find("/../") == std::string::npos && !p.ends_with("/.."));
  }
  return p;
}

void checkText(std::string_view a, std::string_view b) {
  const bool equal = text::canonicallyEqual(a, b);
  check(equal == text::canonicallyEqual(b, a));
  if (equal) check(text::canonicalHash(a) == text::canonicalHash(b));
  check(text::canonicalHash(a) == text::canonicalHash(text::toNfc(a)));
  const std::optional<std::string> nfcA = reference::nfc(a), nfcB = reference::nfc(b);
  if (!nfcA || !nfcB) return;
  check(text::toNfc(a) == *nfcA);
  check(equal == (*nfcA == *nfcB));
  if (text::isKnownNfc(a)) check(*nfcA == a);
  if (text::isAscii(a)) check(text::canonicalHash(a) == text::byteHash(a));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> parts;
  for (std::size_t nul; (nul = input.find('\0')) != std::string_view::npos;
       input.remove_prefix(nul + 1)) {
    parts.push_back(input.substr(0, nul));
  }
  parts.push_back(input);
  const std::string_view rawRoot = parts.size() > 1 ? parts[1] : std::string_view("/");
  const std::string_view rawRoot2 = parts.size() > 2 ? parts[2] : rawRoot;
  checkText(parts[0], rawRoot);

  const std::string item = standardizedPath(parts[0]);
  const std::string root = standardizedPath(rawRoot);
  const std::string root2 = standardizedPath(rawRoot2);
  const text::ItemPath path(item);
  const text::RootPath rootPath(root);
  const std::optional<text::ItemPath::Match> match = path.under(rootPath);
  // The quick test a request makes first never rules out a root that holds
  // the item.
  if (match) check(path.mayLieUnder(rootPath.summary()));
  const std::optional<text::ItemPath::Match> match2 = path.under(root2);
  if (!reference::nfc(item) || !reference::nfc(root) || !reference::nfc(root2)) return 0;
  const auto expected = reference::under(item, root);
  const auto expected2 = reference::under(item, root2);
  check(match.has_value() == expected.has_value() && match2.has_value() == expected2.has_value());
  if (match) check(match->relativePath == expected->relativePath);
  if (match && match2) {
    // The deeper root wins: lengths must order the roots as characters do.
    check((match->rootLength < match2->rootLength) ==
          (expected->rootCharacters < expected2->rootCharacters));
  }
  return 0;
}
