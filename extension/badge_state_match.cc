// Explaining an answer: which file, root and key a badge request uses.
#include "extension/badge_state.h"

namespace tessvik {

std::optional<BadgeState::Match> BadgeState::matchFor(const FileUrl& item) const {
  std::string scratch;
  const text::ItemPath path(item.standardizedPath(scratch));  // (the match points into it)
  const std::optional<Holder> holder = holderOf(path);
  if (!holder) return std::nullopt;
  const FileState& file = *holder->root->file;
  return Match{*holder->root->fileName, file.root.path(), std::string(holder->match.relativePath),
               file.statuses};
}

}  // namespace tessvik
