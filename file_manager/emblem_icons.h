// Which emblem icon each badge the extension registered is shown with.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessvik {

// Identifiers are compared under canonical equivalence, as the extension
// compares them. Memory: one entry per registered badge (a handful).
// Thread-safety: main loop only. Nothing here throws but std::bad_alloc.
class EmblemIcons {
 public:
  // What indexOf returns for an identifier with no registered badge.
  static constexpr int kNone = -1;

  // `identifier` is shown as `icon` from now on, in place of any icon it had.
  void add(std::string_view identifier, std::string_view icon);
  // The registered badge `identifier` shows, or kNone (for the empty
  // identifier too).
  int indexOf(std::string_view identifier) const;
  // The icon name of a registered badge; `index` is one that indexOf gave.
  const std::string& icon(int index) const {
    return icons_[static_cast<std::size_t>(index)].second;
  }

 private:
  // Badge identifier (NFC) -> icon name, in the order registered.
  std::vector<std::pair<std::string, std::string>> icons_;
};

}  // namespace tessvik
