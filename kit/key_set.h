// Finding an item written twice in a badge state file, for the writer and
// for `tessvik-badges check`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/flat_array.h"
#include "text/unicode.h"

namespace tessvik::kit {

// The keys of one file, to find an item written twice, as such or in
// another Unicode form (canonically equivalent): both are the same item,
// and the extension keeps the last status. Keys are taken as they come and
// compared all at once, by sorting their hashes, where a lookup per key
// would wait on memory a million times. Holds a copy of every key (the size
// of the keys, and 16 bytes more each). At most 2^31 keys. Not thread-safe.
class KeySet {
 public:
  // Takes `key` (valid UTF-8), the next item's.
  void add(std::string_view key);

  struct Repeat {
    std::size_t index;    // of the key that repeats, counting from 0
    std::string reason;   // French: "redit la clé « … » (élément n° …) …"
  };
  // Every key that repeats one taken before it, in the order taken.
  std::vector<Repeat> repeats() const;
  // The key taken `index`th, counting from 0.
  std::string_view keyAt(std::size_t index) const;

 private:
  text::PathHasher hasher_;
  // Large for a large file: in blocks that grow without copying.
  FlatArray<char> keys_;         // every key, one after the other
  FlatArray<std::size_t> ends_;  // where each one ends in keys_
  // Each key's hash (its high 33 bits), then its index (31 bits).
  FlatArray<std::uint64_t> hashes_;
};

// Only the hash of each key (8 bytes a key, nothing allocated per key), for
// a writer that can read its keys back: whether no two keys of a file may be
// the same item. Two equal hashes are a repeat, or, once in billions of
// files of a million keys, two keys that merely hash alike; only then need
// the keys themselves be compared, through a KeySet. Not thread-safe.
class KeyHashes {
 public:
  // Takes `key` (valid UTF-8), the next item's.
  void add(std::string_view key) { hashes_.push_back(hasher_.hash(key)); }
  // Whether two keys taken hash alike. Call once: the hashes are spent.
  bool anyShared();

 private:
  text::PathHasher hasher_;
  FlatArray<std::uint64_t> hashes_;  // in the order taken
};

}  // namespace tessvik::kit
