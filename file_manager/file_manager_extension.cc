#include "file_manager/file_manager_extension.h"

namespace tessvik {

FileManagerExtension::FileManagerExtension(const FileManagerServices& services)
    : logger_(services.platform.logger, services.stateFolder.path()),
      links_(services.realPath, services.resolution),
      controller_(services.refresher, links_),
      self_(std::make_shared<FileManagerExtension*>(this)),
      runLoop_(services.platform.runLoop, self_),
      extension_(Host{{services.platform.fileSystem, runLoop_, logger_, services.platform.users,
                       services.platform.workspace, services.platform.memory},
                      controller_,
                      images_},
                 services.stateFolder) {}

void FileManagerExtension::LinksTakingRunLoop::addRepeatingTimer(std::chrono::milliseconds interval,
                                                                 std::function<void()> tick) {
  loop_.addRepeatingTimer(interval, [tick = std::move(tick), extension = extension_] {
    tick();
    if (std::shared_ptr<FileManagerExtension*> self = extension.lock()) (*self)->takeLinks();
  });
}

std::optional<std::string_view> FileManagerExtension::answerFor(const std::string& path,
                                                                bool isDirectory) {
  std::optional<std::string_view> identifier =
      extension_.badgeShownFor(FileUrl::fromPath(path, isDirectory));
  if (!identifier) {
    std::string scratch;
    const std::string_view named = controller_.namedPath(path, scratch);
    if (named.data() != path.data()) {
      identifier = extension_.badgeShownFor(FileUrl::fromPath(named, isDirectory));
    }
  }
  return identifier;
}

std::optional<std::string> FileManagerExtension::emblemFor(const std::string& path,
                                                           bool isDirectory) {
  return controller_.emblemShown(path, answerFor(path, isDirectory));
}

void FileManagerExtension::takeLinks() {
  for (const std::string& folder : links_.takeLinked()) {
    controller_.folderLinked(folder, [this](const std::string& path) {
      // The held item may be a folder: the answer is the same for either.
      return answerFor(path, false);
    });
  }
}

std::vector<FileManagerMenuItem> FileManagerExtension::menuForItems(
    const std::vector<const char*>& paths) {
  std::vector<FileManagerMenuItem> items;
  if (paths.empty()) return items;
  for (const char* path : paths) {
    if (path == nullptr || !controller_.isObserved(path)) return items;
  }
  std::optional<Menu> menu = extension_.menu(static_cast<int>(MenuKind::kContextualMenuForItems));
  if (!menu) return items;
  for (const MenuItem& item : menu->items) {
    if (item.action == "share:" && paths.size() != 1) continue;
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
  // Shared as the badge state files name it, whichever way the user reached
  // it: through a link, or in a synced folder's real folder.
  for (FileUrl& url : selection) {
    std::string scratch;
    const std::optional<std::string_view> observed = controller_.observedPath(url.path(), scratch);
    if (observed && observed->data() != url.path().data()) {
      url = FileUrl::fromPath(*observed, url.isDirectory());
    }
  }
  // The extension reads the selection while its action runs, and only then.
  controller_.setSelection(std::move(selection));
  extension_.share();
  controller_.setSelection(std::nullopt);
}

}  // namespace tessvik
