#include "text/path_match.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include "text/unicode.h"

namespace tessvik::text {
namespace {

int breakClass(UChar32 c) {
  return u_getIntPropertyValue(c, UCHAR_GRAPHEME_CLUSTER_BREAK);
}

// ICU's UTF-8 macros narrow ints to bytes internally.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wconversion"
UChar32 codePointAt(std::string_view s, std::size_t at) {
  UChar32 c;
  int32_t i = static_cast<int32_t>(at);
  U8_NEXT(s.data(), i, static_cast<int32_t>(s.size()), c);
  return c;
}

UChar32 codePointBefore(std::string_view s, std::size_t before) {
  UChar32 c;
  int32_t i = static_cast<int32_t>(before);
  U8_PREV(s.data(), 0, i, c);
  return c;
}
#pragma GCC diagnostic pop

// "/" is neither a prepending character nor one that extends, so the
// character boundaries around a "/" depend only on its neighbours: a
// following extending mark (or joiner) fuses with it, as does a preceding
// prepending character. These two checks stand in for full segmentation.
bool extendsPrevious(std::string_view s, std::size_t at) {
  if (at >= s.size()) return false;
  if (static_cast<unsigned char>(s[at]) < 0x80) return false;  // ASCII never extends
  const int cls = breakClass(codePointAt(s, at));
  return cls == U_GCB_EXTEND || cls == U_GCB_ZWJ || cls == U_GCB_SPACING_MARK;
}

bool prependsNext(std::string_view s, std::size_t before) {
  if (before == 0) return false;
  if (static_cast<unsigned char>(s[before - 1]) < 0x80) return false;
  return breakClass(codePointBefore(s, before)) == U_GCB_PREPEND;
}

// A "/" at `at` is a character of its own.
bool isSlashCharacter(std::string_view s, std::size_t at) {
  return at < s.size() && s[at] == '/' && !extendsPrevious(s, at + 1) && !prependsNext(s, at);
}

}  // namespace

ItemPath::ItemPath(std::string_view path) {
  if (isKnownNfc(path)) {
    nfc_ = path;
  } else {
    storage_ = toNfc(path);
    nfc_ = storage_;
  }
}

RootPath::RootPath(std::string_view path)
    : nfc_(isKnownNfc(path) ? std::string(path) : toNfc(path)),
      summary_{nfc_.size(), tailOf(nfc_, nfc_.size())} {}

std::optional<ItemPath::Match> ItemPath::below(std::string_view root) const {
  // Both texts are in NFC, and NFC never composes across "/", so the item is
  // under the root exactly when the bytes agree up to a "/" that follows.
  if (root.empty() || root.front() != '/') return std::nullopt;
  if (nfc_.size() == root.size()) return Match{root.size(), std::string_view()};
  // The root must be followed by a "/" that is a character of its own: its
  // last one for the root "/", which holds every absolute path.
  const std::size_t slash = root == "/" ? 0 : root.size();
  if (nfc_[slash] != '/' || extendsPrevious(nfc_, slash + 1)) return std::nullopt;

  std::size_t begin = root.size();
  // A root ending in a prepending character fuses with the "/" after it; the
  // "/" then goes with the root's last character.
  if (prependsNext(nfc_, begin)) ++begin;
  std::size_t end = nfc_.size();
  while (begin < end && isSlashCharacter(nfc_, begin)) ++begin;
  while (end > begin && isSlashCharacter(nfc_, end - 1)) --end;
  return Match{root.size(), nfc_.substr(begin, end - begin)};
}

}  // namespace tessvik::text
