// Answering the host's badge requests from memory.
#include "extension/finder_sync.h"
#include "host/finder_sync_controller.h"
#include "text/path_match.h"

namespace tessvik {

std::optional<FinderSync::Match> FinderSync::lookup(const text::ItemPath& item) const {
  std::optional<Match> best;
  std::size_t bestLength = 0;
  for (const RootEntry& root : roots_) {
    if (!item.mayLieUnder(root.summary)) continue;
    std::optional<text::ItemPath::Match> m = item.under(root.folder->rootPath);
    // The deepest root wins; between equal roots the first one visited stays.
    if (!m || (best && m->rootLength <= bestLength)) continue;
    bestLength = m->rootLength;
    best = Match{root.folder, m->relativePath};
  }
  return best;
}

void FinderSync::indexRoots() {
  roots_.clear();
  for (const auto& [name, folder] : folders_)
    roots_.push_back({folder.rootPath.summary(), &folder});
}

std::optional<std::string_view> FinderSync::badgeIdentifierFor(const FileUrl& url) const {
  // Standard ASCII paths, the common case, go through without allocating.
  std::string scratch;
  const text::ItemPath item(url.standardizedPath(scratch));
  std::optional<Match> match = lookup(item);
  // Outside every root, or a root folder itself: the host keeps what it shows.
  if (!match || match->relativePath.empty()) return std::nullopt;
  return match->folder->statuses->find(match->relativePath).value_or(std::string_view());
}

void FinderSync::requestBadgeIdentifier(const FileUrl& url) {
  if (std::optional<std::string_view> identifier = badgeIdentifierFor(url)) {
    host_.controller.setBadgeIdentifier(*identifier, url);
  }
}

}  // namespace tessvik
