#include "bridges/syncthing/folder_picture.h"

#include <algorithm>
#include <cctype>

#include "state/badge_statuses.h"

namespace tessvik::syncthing {

// ItemStatus follows the list's order, which is also their precedence.
static_assert(kBadgeStatuses.size() == 4 && kBadgeStatuses[0] == "synced" &&
              kBadgeStatuses[1] == "syncing" && kBadgeStatuses[2] == "conflict" &&
              kBadgeStatuses[3] == "error");

std::string_view statusName(ItemStatus status) {
  return kBadgeStatuses[static_cast<std::size_t>(status)];
}

std::optional<std::string> conflictOriginal(std::string_view path) {
  // ".sync-conflict-" then the date, the time and the first seven letters of
  // the device that made the other version.
  constexpr std::string_view marker = ".sync-conflict-";
  constexpr std::size_t stampLength = 8 + 1 + 6 + 1 + 7;
  std::size_t nameStart = path.rfind('/') + 1;  // 0 without a folder
  std::size_t at = path.find(marker, nameStart);
  if (at == std::string_view::npos || at == nameStart) return std::nullopt;
  std::string_view stamp = path.substr(at + marker.size(), stampLength);
  if (stamp.size() != stampLength) return std::nullopt;
  for (std::size_t i = 0; i < stampLength; ++i) {
    unsigned char c = static_cast<unsigned char>(stamp[i]);
    bool ok = i == 8 || i == 15 ? c == '-' : i < 15 ? std::isdigit(c) != 0 : std::isalnum(c) != 0;
    if (!ok) return std::nullopt;
  }
  std::string original(path.substr(0, at));
  original += path.substr(at + marker.size() + stampLength);
  return original;
}

FolderPicture::FolderPicture(const FolderFacts& facts) {
  items_.reserve(facts.index.size() + 1);
  positions_.reserve(facts.index.size() + 1);
  items_.emplace_back("", ItemStatus::kSynced);
  positions_.emplace("", 0);
  for (const IndexEntry& entry : facts.index) {
    if (positions_.emplace(entry.path, items_.size()).second)
      items_.emplace_back(entry.path, ItemStatus::kSynced);
  }
  for (const std::string& path : facts.needed) raise(path, ItemStatus::kSyncing);
  for (const std::string& path : facts.started) raise(path, ItemStatus::kSyncing);
  for (const IndexEntry& entry : facts.index) {
    if (entry.directory) continue;
    std::optional<std::string> original = conflictOriginal(entry.path);
    if (!original) continue;
    raise(entry.path, ItemStatus::kConflict);
    if (positions_.count(*original)) raise(*original, ItemStatus::kConflict);
  }
  for (const std::string& path : facts.errors) raise(path, ItemStatus::kError);
}

// Gives `path` at least `status`, and so every folder above it. Stops at
// the first folder that already has it: its own folders have it too, since
// every raise goes up.
void FolderPicture::raise(std::string_view path, ItemStatus status) {
  while (true) {
    auto found = positions_.find(path);
    if (found == positions_.end()) {
      path = extra_.emplace_back(path);
      found = positions_.emplace(path, items_.size()).first;
      items_.emplace_back(path, ItemStatus::kSynced);
    }
    ItemStatus& current = items_[found->second].second;
    if (current >= status) return;
    current = status;
    if (path.empty()) return;
    std::size_t slash = path.rfind('/');
    path = slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
  }
}

std::uint64_t FolderPicture::hash() const {
  // FNV-1a over every path and status, in order.
  std::uint64_t h = 1469598103934665603ull;
  auto mix = [&h](unsigned char byte) { h = (h ^ byte) * 1099511628211ull; };
  for (const auto& [path, status] : items_) {
    for (char c : path) mix(static_cast<unsigned char>(c));
    mix(0);
    mix(static_cast<unsigned char>(status));
  }
  return h;
}

}  // namespace tessvik::syncthing
