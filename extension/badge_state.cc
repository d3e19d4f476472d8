// Answering badge requests from memory.
#include "extension/badge_state.h"

namespace tessvik {

BadgeState::BadgeState(FileSystem& files, Logger& logger, FinderSyncController& controller)
    : fileSystem_(files), logger_(logger), controller_(controller) {}

std::optional<std::string_view> BadgeState::badgeIdentifierFor(const FileUrl& item) const {
  // Standard ASCII paths, the common case, go through without allocating.
  std::string scratch;
  const text::ItemPath path(item.standardizedPath(scratch));
  const FileState* best = nullptr;
  std::string_view relativePath;
  std::size_t bestLength = 0;
  for (const RootEntry& root : roots_) {
    if (!path.mayLieUnder(root.summary)) continue;
    std::optional<text::ItemPath::Match> m = path.under(root.file->rootPath);
    // The deepest root wins; between equal roots the first one visited stays.
    if (!m || (best != nullptr && m->rootLength <= bestLength)) continue;
    best = root.file;
    bestLength = m->rootLength;
    relativePath = m->relativePath;
  }
  // Outside every root, or a root folder itself: the host keeps what it shows.
  if (best == nullptr || relativePath.empty()) return std::nullopt;
  return best->statuses->find(relativePath).value_or(std::string_view());
}

void BadgeState::indexRoots() {
  roots_.clear();
  for (const auto& [name, file] : files_) roots_.push_back({file.rootPath.summary(), &file});
}

}  // namespace tessvik
