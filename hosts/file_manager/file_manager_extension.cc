#include "hosts/file_manager/file_manager_extension.h"

#include "host/host.h"

namespace tessvik {

FileManagerExtension::FileManagerExtension(const FileManagerServices& services)
    : controller_(services.refresher),
      realHome_(services.users),
      extension_(Host{controller_, images_, services.fileSystem, services.runLoop, services.logger,
                      services.users, services.workspace},
                 realHome_) {}

std::optional<std::string> FileManagerExtension::emblemFor(const std::string& path,
                                                           bool isDirectory) const {
  std::optional<std::string_view> identifier =
      extension_.badgeIdentifierFor(FileUrl::fromPath(path, isDirectory));
  return identifier ? controller_.iconFor(*identifier) : std::nullopt;
}

std::vector<FileManagerMenuItem> FileManagerExtension::menuForItems() {
  std::optional<Menu> menu = extension_.menu(static_cast<int>(MenuKind::kContextualMenuForItems));
  std::vector<FileManagerMenuItem> items;
  if (!menu) return items;
  for (const MenuItem& item : menu->items) {
    std::optional<std::string> icon;
    if (item.image) {
      if (std::optional<std::string_view> name = EmblemImages::iconName(*item.image)) {
        icon = std::string(*name);
      }
    }
    items.push_back({std::string(kMenuItemPrefix) + item.action, item.title, std::move(icon)});
  }
  return items;
}

void FileManagerExtension::activate(std::string_view name, std::vector<FileUrl> selection) {
  if (!name.starts_with(kMenuItemPrefix)) return;
  const std::string_view action = name.substr(kMenuItemPrefix.size());
  if (action != "share:") return;
  // The extension reads the selection while its action runs, and only then.
  controller_.setSelection(std::move(selection));
  extension_.share();
  controller_.setSelection(std::nullopt);
}

}  // namespace tessvik
