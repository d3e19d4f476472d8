// The context menu, the share action and the toolbar item.
#include "extension/finder_sync.h"
#include "extension/share_url.h"
#include "host/finder_sync_controller.h"
#include "host/symbol_image.h"
#include "host/workspace.h"

namespace tessvik {

std::optional<Menu> FinderSync::menu(int kind) {
  if (kind != static_cast<int>(MenuKind::kContextualMenuForItems)) return std::nullopt;
  MenuItem item{"Partager avec TessVik…", "share:", "", std::nullopt};
  item.image = host_.images.systemSymbol("person.crop.circle.badge.plus", std::nullopt);
  return Menu{"", {std::move(item)}};
}

void FinderSync::share() {
  // The selection is read now, when the action runs, not when the menu was built.
  std::optional<std::vector<FileUrl>> selected = host_.controller.selectedItemUrls();
  if (!selected || selected->empty()) return;
  host_.workspace.openUrl(shareUrl(selected->front().path()));
}

std::string FinderSync::toolbarItemName() const {
  return "TessVik";
}
std::string FinderSync::toolbarItemToolTip() const {
  return "TessVik";
}

}  // namespace tessvik
