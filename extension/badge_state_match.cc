// Explaining an answer: which file, root and key a badge request uses.
#include "extension/badge_state.h"

namespace tessvik {

std::optional<BadgeState::Match> BadgeState::matchFor(const FileUrl& item) const {
  std::string scratch;
  const text::ItemPath path(item.standardizedPath(scratch));
  std::optional<Match> best;
  std::size_t bestLength = 0;
  // As badgeIdentifierFor: the deepest root wins, the first visited among
  // equal ones.
  for (const auto& [name, file] : files_) {
    std::optional<text::ItemPath::Match> m = path.under(file.rootPath);
    if (!m || (best && m->rootLength <= bestLength)) continue;
    bestLength = m->rootLength;
    best = Match{name, file.root.path(), std::string(m->relativePath), file.statuses};
  }
  return best;
}

}  // namespace tessvik
