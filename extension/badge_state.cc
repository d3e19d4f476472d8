// Answering badge requests from memory.
#include "extension/badge_state.h"

namespace tessvik {

BadgeState::BadgeState(FileSystem& files, Logger& logger, FinderSyncController& controller)
    : fileSystem_(files), logger_(logger), controller_(controller) {}

std::optional<BadgeState::Holder> BadgeState::holderOf(const text::ItemPath& path) const {
  std::optional<Holder> best;
  for (const RootEntry& root : roots_) {
    if (!path.mayLieUnder(root.summary)) continue;
    std::optional<text::ItemPath::Match> m = path.under(root.file->rootPath);
    // The deepest root wins; between equal roots the first one visited stays.
    if (!m || (best && m->rootLength <= best->match.rootLength)) continue;
    best = Holder{&root, *m};
  }
  return best;
}

std::optional<std::string_view> BadgeState::badgeIdentifierFor(const FileUrl& item) const {
  // Standard ASCII paths, the common case, go through without allocating.
  std::string scratch;
  const text::ItemPath path(item.standardizedPath(scratch));  // (the match points into it)
  const std::optional<Holder> holder = holderOf(path);
  // Outside every root, or a root folder itself: the host keeps what it shows.
  if (!holder || holder->match.relativePath.empty()) return std::nullopt;
  return holder->root->file->statuses->find(holder->match.relativePath)
      .value_or(std::string_view());
}

std::optional<std::string_view> BadgeState::badgeShownFor(const FileUrl& item) const {
  std::string scratch;
  const text::ItemPath path(item.standardizedPath(scratch));  // (the match points into it)
  const std::optional<Holder> holder = holderOf(path);
  if (!holder) return std::nullopt;
  const std::optional<std::string_view> status =
      holder->root->file->statuses->find(holder->match.relativePath);
  if (holder->match.relativePath.empty()) return status;
  return status.value_or(std::string_view());
}

void BadgeState::indexRoots() {
  roots_.clear();
  for (const auto& [name, file] : files_) roots_.push_back({file.rootPath.summary(), &file, &name});
}

}  // namespace tessvik
