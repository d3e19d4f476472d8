// Whether an item lies under a root folder, and the item's path relative to
// it, with paths compared as Unicode text: canonically equivalent paths are
// equal, and a prefix must end on a whole user-perceived character, so the
// root "/a/e" does not hold "/a/e\u0301/x" and "/a" does not hold
// "/a/\u0301x" (there, "/" and the accent are one character).
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace tessvik::text {

// A root folder's path, normalised once (when its badge state file is
// loaded), to be matched against every item the host asks about.
class RootPath {
 public:
  // What rules out most roots at once, small enough to be kept beside other
  // roots' for a scan that follows no pointer: the length in bytes and the
  // last eight bytes (all of them, zero-padded, when fewer).
  struct Summary {
    std::size_t size = 0;
    std::uint64_t tail = 0;
  };

  RootPath() = default;
  // `path`: a standardised path, like an item's.
  explicit RootPath(std::string_view path);
  // The path in NFC.
  const std::string& nfc() const { return nfc_; }
  Summary summary() const { return summary_; }

 private:
  friend class ItemPath;
  // The eight bytes of `text` that end at `end` (or its first `end` bytes,
  // zero-padded).
  static std::uint64_t tailOf(std::string_view text, std::size_t end) {
    std::uint64_t word = 0;
    if (end == 0) return word;
    if (end >= 8) {
      std::memcpy(&word, text.data() + end - 8, 8);
    } else {
      std::memcpy(&word, text.data(), end);
    }
    return word;
  }

  std::string nfc_;
  Summary summary_;
};

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

  // False when no root with this summary can hold the item (their bytes
  // differ); true when one may, and under() decides.
  bool mayLieUnder(RootPath::Summary root) const {
    return nfc_.size() >= root.size && RootPath::tailOf(nfc_, root.size) == root.tail;
  }

  // Whether the item is `root` itself or lies below it. `root` is a
  // standardised path like the item's; "/" holds every absolute path, and a
  // relative root holds nothing.
  std::optional<Match> under(const RootPath& root) const {
    // A request tries every root and most of them do not hold the item: that
    // answer is inline, and cheap.
    if (!beginsWith(root.nfc())) return std::nullopt;
    return below(root.nfc());
  }
  // The same for a root not normalised yet.
  std::optional<Match> under(std::string_view root) const { return under(RootPath(root)); }

 private:
  // Whether the path's bytes begin with `prefix`'s. Roots are mostly
  // siblings that share all but their last few bytes ("/Users/u/Sync/team-03",
  // ".../team-07"), so the last eight bytes of the prefix are compared first.
  bool beginsWith(std::string_view prefix) const {
    const std::size_t n = prefix.size();
    if (nfc_.size() < n) return false;
    if (RootPath::tailOf(nfc_, n) != RootPath::tailOf(prefix, n)) return false;
    return std::memcmp(nfc_.data(), prefix.data(), n) == 0;
  }
  // The match of a root in NFC whose bytes begin the path.
  std::optional<Match> below(std::string_view root) const;

  std::string storage_;   // the NFC form, when the path was not in NFC already
  std::string_view nfc_;  // the path in NFC
};

}  // namespace tessvik::text
