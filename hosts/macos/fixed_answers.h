// The Finder's questions whose answers depend on no state: the menu for each
// kind, the toolbar item's name and its tool tip.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "extension/finder_sync.h"
#include "host/menu.h"

namespace tessvik::macos {

// The extension's own answers, captured once on the main thread right after
// it starts. The Finder may ask for a menu or the toolbar item on another
// thread; such a call is answered from here, so it neither enters the
// extension off the main thread nor waits for the main thread. A value:
// immutable once captured, so any thread may read it.
struct FixedAnswers {
  // Indexed by the host's menu kind (MenuKind's values 0 to 3).
  std::array<std::optional<Menu>, 4> menus;
  std::string toolbarItemName;
  std::string toolbarItemToolTip;

  // Main thread: asks `extension` every known kind and both texts.
  static FixedAnswers capture(FinderSync& extension) {
    FixedAnswers answers;
    for (std::size_t kind = 0; kind < answers.menus.size(); ++kind) {
      answers.menus[kind] = extension.menu(static_cast<int>(kind));
    }
    answers.toolbarItemName = extension.toolbarItemName();
    answers.toolbarItemToolTip = extension.toolbarItemToolTip();
    return answers;
  }

  // The captured menu for `kind`; nothing for a kind the host does not define.
  std::optional<Menu> menu(long kind) const {
    if (kind < 0 || static_cast<unsigned long>(kind) >= menus.size()) return std::nullopt;
    return menus[static_cast<std::size_t>(kind)];
  }
};

}  // namespace tessvik::macos
