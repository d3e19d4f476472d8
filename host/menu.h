// A menu as a value: the extension builds it, the host shows it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/symbol_image.h"

namespace tessvik {

struct MenuItem {
  std::string title;
  // The selector the host delivers to the extension when the item is chosen,
  // e.g. "share:". The item has no target of its own.
  std::string action;
  std::string keyEquivalent;
  std::optional<SymbolImage> image;
  friend bool operator==(const MenuItem&, const MenuItem&) = default;
};

struct Menu {
  std::string title;
  std::vector<MenuItem> items;
  friend bool operator==(const Menu&, const Menu&) = default;
};

// The host's kinds of menu, with the host's values.
enum class MenuKind : int {
  kContextualMenuForItems = 0,
  kContextualMenuForContainer = 1,
  kContextualMenuForSidebar = 2,
  kToolbarItemMenu = 3,
};

}  // namespace tessvik
