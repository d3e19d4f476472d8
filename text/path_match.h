// Whether an item lies under a root folder, and the item's path relative to
// it, with paths compared as Unicode text: canonically equivalent paths are
// equal, and a prefix must end on a whole user-perceived character, so the
// root "/a/e" does not hold "/a/e\u0301/x" and "/a" does not hold
// "/a/\u0301x" (there, "/" and the accent are one character).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessvik::text {

// An item path, normalised once, to be matched against many roots.
class ItemPath {
 public:
  // `path`: an absolute, standardised path (no "." or ".." segments, no
  // trailing "/"). It must outlive this object. Text already in NFC (all
  // ASCII text is) is used in place, without allocating.
  explicit ItemPath(std::string_view path);
  ItemPath(const ItemPath&) = delete;
  ItemPath& operator=(const ItemPath&) = delete;

  struct Match {
    // The root's length. Among the roots that hold the same item, a longer
    // root in this measure is a longer root in characters.
    std::size_t rootLength;
    // The rest of the item's path, with every leading and trailing "/"
    // character trimmed; empty for the root itself. In NFC. Points into this
    // ItemPath (or the path it was made from), so it lives as long as both.
    std::string_view relativePath;
  };

  // Whether the item is `root` itself or lies below it. `root` is a
  // standardised path like the item's; a relative root holds nothing.
  std::optional<Match> under(std::string_view root) const;

 private:
  std::string storage_;   // the NFC form, when the path was not in NFC already
  std::string_view nfc_;  // the path in NFC
};

}  // namespace tessvik::text
