// The items the file manager holds, under each spelling it holds them by,
// and the emblem each was last given: a push refreshes only those, and only
// when their emblem changes.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/file_url.h"
#include "file_manager/held_key_filter.h"

namespace tessvik {

// An item is keyed by its standardised path in NFC: the sync client may
// write a name decomposed that the file system holds precomposed, or the
// other way round, and the file manager may hold one item under several
// spellings (a name not in NFC, a path through a link). Each spelling is
// counted: held once per hold(), let go once per release().
//
// Memory: one entry per item held (a spelling other than its key adds one
// string), and HeldKeyFilter's table once an item is held; nothing per item
// of the badge state. Thread-safety: main loop only. Nothing here throws but
// std::bad_alloc.
class HeldItems {
 public:
  // The emblem of an item that has not been given one since it was held.
  static constexpr int kNotShown = -2;

  struct Spelling {
    std::string path;
    unsigned holders = 0;
  };
  struct Item {
    unsigned holders = 0;          // under its key's own spelling
    std::vector<Spelling> others;  // names not in NFC, paths through a link
    int emblem = kNotShown;        // as EmblemIcons indexes them
  };
  // Lets a key be found from a string_view: a push for an ASCII path, the
  // common case, looks up without allocating.
  struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const noexcept {
      return std::hash<std::string_view>{}(key);
    }
  };
  using Map = std::unordered_map<std::string, Item, KeyHash, std::equal_to<>>;
  using Entry = Map::value_type;

  // The key of the item at `path`: its standardised path in NFC.
  static std::string keyOf(std::string_view path);

  // The item `key` is held once more under the spelling `path`.
  void hold(std::string key, const std::string& path);
  // One hold of `path` for `key` is let go; the item goes with its last one.
  // Letting go of what is not held does nothing.
  void release(const std::string& key, const std::string& path);

  // The held item whose key is `key`, or null.
  Entry* find(std::string_view key) {
    auto it = items_.find(key);
    return it != items_.end() ? &*it : nullptr;
  }
  // The held item that `path` (any spelling, not standardised) names, or null.
  Entry* findSpelled(std::string_view path);
  // The held item a push for `url` (well-formed UTF-8) names, or null: most
  // pushes end at the filter, before any standardisation or lookup.
  Entry* findPushed(const FileUrl& url) {
    if (items_.empty()) return nullptr;
    const std::string& raw = url.path();
    if (!filter_.mayHold(raw) && !raw.ends_with("/.") && !raw.ends_with("/..")) return nullptr;
    return findStandardized(url);
  }

  Map::iterator begin() { return items_.begin(); }
  Map::iterator end() { return items_.end(); }

  // Calls `refresh` with each spelling under which `entry` is held.
  template <class Refresh>
  static void forEachSpelling(const Entry& entry, Refresh&& refresh) {
    if (entry.second.holders > 0) refresh(entry.first);
    for (const Spelling& other : entry.second.others) refresh(other.path);
  }

 private:
  Entry* findStandardized(const FileUrl& url);

  Map items_;
  // The bits of items_'s keys; worked out again once as many keys were let
  // go as are held.
  HeldKeyFilter filter_;
  std::size_t goneSinceFilter_ = 0;
};

}  // namespace tessvik
