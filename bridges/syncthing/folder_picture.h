// The badge of every item of one Syncthing folder, worked out from what
// Syncthing says of it. Pure: no I/O.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "bridges/syncthing/syncthing_messages.h"

namespace tessvik::syncthing {

// Ordered by precedence: a folder shows the highest status of what it holds.
enum class ItemStatus : std::uint8_t { kSynced, kSyncing, kConflict, kError };

// The badge state file's name for each status.
std::string_view statusName(ItemStatus status);

// What Syncthing says of one folder.
struct FolderFacts {
  std::vector<IndexEntry> index;    // every item it knows
  std::vector<std::string> needed;  // still to pull (or to delete)
  std::vector<std::string> errors;  // last pull failed
  std::set<std::string> started;    // being pulled now
};

// One item's badge; the path views into the facts it came from, or into
// the picture's own storage.
using PictureItem = std::pair<std::string_view, ItemStatus>;

// The badges of one folder: "" is the folder itself, then every item of the
// index, then the items that Syncthing names elsewhere but not in its index.
// An item pulled, needed or started is syncing; one whose pull failed is in
// error; a conflict copy ("name.sync-conflict-YYYYMMDD-HHMMSS-DEVICE.ext")
// and the item it copies are in conflict; the rest is synced. A folder
// takes the highest status of anything under it. Valid while `facts` and
// the picture live.
class FolderPicture {
 public:
  explicit FolderPicture(const FolderFacts& facts);
  FolderPicture(const FolderPicture&) = delete;
  FolderPicture& operator=(const FolderPicture&) = delete;

  const std::vector<PictureItem>& items() const { return items_; }
  // Equal pictures hash equal: the bridge rewrites a file only when its
  // hash moves.
  std::uint64_t hash() const;

 private:
  void raise(std::string_view path, ItemStatus status);

  std::vector<PictureItem> items_;
  std::unordered_map<std::string_view, std::size_t> positions_;  // into items_
  std::deque<std::string> extra_;  // paths not in the index, and their folders
};

// The item that a conflict copy at `path` copies ("a/b.txt" for
// "a/b.sync-conflict-20261209-101500-ABCDEFG.txt"); nothing when `path`
// names no conflict copy.
std::optional<std::string> conflictOriginal(std::string_view path);

}  // namespace tessvik::syncthing
