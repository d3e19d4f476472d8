// The paths the file manager holds through a link (~/SyncLink/a, with
// ~/SyncLink -> ~/Sync), and the item each names (~/Sync/a): what the
// extension pushes is the named item, and the path must follow it.
#pragma once

#include <string>
#include <unordered_map>

namespace tessvik {

// Each path is counted as HeldItems counts its spellings, and goes with its
// last holder. Memory: one entry per path held through a link (rare).
// Thread-safety: main loop only. Nothing here throws but std::bad_alloc.
class LinkAliases {
 public:
  bool contains(const std::string& path) const { return aliases_.contains(path); }
  // The key of the item `path` names, or null when it names none.
  const std::string* keyFor(const std::string& path) const {
    if (aliases_.empty()) return nullptr;
    auto it = aliases_.find(path);
    return it != aliases_.end() ? &it->second.key : nullptr;
  }
  // `path` is held once more as the item keyed `key` (the key it was first
  // held with stays while it is held): returns that key.
  const std::string& add(const std::string& path, std::string key);
  // `path` was found to name `key`, with `holders` holders so far.
  void set(const std::string& path, std::string key, unsigned holders) {
    aliases_[path] = {std::move(key), holders};
  }
  // One holder of `path` lets go: calls `release(key)` with the key it names,
  // if it names one.
  template <class Release>
  void release(const std::string& path, Release&& release) {
    if (aliases_.empty()) return;
    auto it = aliases_.find(path);
    if (it == aliases_.end()) return;
    release(it->second.key);
    if (--it->second.holders == 0) aliases_.erase(it);
  }

 private:
  struct Alias {
    std::string key;
    unsigned holders = 0;
  };
  std::unordered_map<std::string, Alias> aliases_;
};

inline const std::string& LinkAliases::add(const std::string& path, std::string key) {
  Alias& alias = aliases_[path];
  if (alias.holders++ == 0) alias.key = std::move(key);
  return alias.key;
}

}  // namespace tessvik
