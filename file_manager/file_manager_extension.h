// The extension as a Linux file manager hosts it: the FinderSync core on the
// file manager's loop, with the emblem bookkeeping in front of it. What the
// module shells call, in the file manager's terms: an item's emblem, the
// context menu for the selected items, a chosen menu item.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "extension/finder_sync.h"
#include "file_manager/emblem_controller.h"
#include "file_manager/emblem_images.h"
#include "file_manager/first_start_logger.h"
#include "file_manager/folder_links.h"
#include "file_manager/item_refresher.h"
#include "host/host.h"
#include "host/run_loop.h"

namespace tessvik {

// The platform services this host is made of, what a file manager adds to
// them, and where the badge state files are (see state_folder.h).
// Non-owning: each service must outlive the FileManagerExtension made with
// it.
struct FileManagerServices {
  PlatformServices platform;
  ItemRefresher& refresher;
  // Resolves the folders of items outside every observed folder (see
  // FolderLinks).
  FolderLinks::RealPath realPath;
  FileUrl stateFolder;
  FolderLinks::Resolution resolution = FolderLinks::Resolution::kOnWorker;
};

// One menu item as a file manager makes it: a name unique among all
// extensions' items, the title shown, and an icon name (or none).
struct FileManagerMenuItem {
  std::string name;
  std::string label;
  std::optional<std::string> icon;
  friend bool operator==(const FileManagerMenuItem&, const FileManagerMenuItem&) = default;
};

// Made once per process, on the file manager's main loop, and kept for the
// life of the process (destroying it ends the extension: its timer then does
// nothing; it never waits for a folder being resolved). Main loop only.
// Nothing here throws but std::bad_alloc.
class FileManagerExtension {
 public:
  // Starts the extension: start message, badges, first reload, timer.
  explicit FileManagerExtension(const FileManagerServices& services);
  FileManagerExtension(const FileManagerExtension&) = delete;
  FileManagerExtension& operator=(const FileManagerExtension&) = delete;

  // The emblem icon name for the item at `path` (absolute, the file
  // manager's bytes), from the extension's answer for it (a root folder's
  // own badge included, which the Finder shows as pushed), or for the item
  // it names through a link when it lies outside every observed folder; or
  // nothing. An item inside a folder pays for no link resolution. A folder
  // seen for the first time is taken as no link: its items are refreshed
  // once it turns out to be one, if that changes their emblem.
  std::optional<std::string> emblemFor(const std::string& path, bool isDirectory);

  // The file manager holds an item at `path`, or let go of it: see
  // EmblemController::itemShown. Only a held item is refreshed when its badge
  // changes.
  void itemShown(const std::string& path) { controller_.itemShown(path); }
  void itemGone(const std::string& path) { controller_.itemGone(path); }

  // The items of the context menu for the items selected at `paths`
  // (absolute; null for an item with no local path): none unless every one
  // lies in an observed folder, as named or through a link, since the
  // Finder offers an extension's menu only there. The share item only for
  // one item: the Finder would share the first of several, and a file
  // manager's user could not tell which that is.
  std::vector<FileManagerMenuItem> menuForItems(const std::vector<const char*>& paths);

  // The menu item called `name` was chosen while `selection` was selected
  // (in the file manager's order). Unknown names do nothing.
  void activate(std::string_view name, std::vector<FileUrl> selection);

  // Prefix of every menu item name: the rest is the extension's action.
  static constexpr std::string_view kMenuItemPrefix = "TessVik::";

 private:
  // The run loop the extension is given: each tick of its timer also takes
  // in the folders resolved meanwhile, so that the file manager's process
  // wakes once a second for both, and a badge through a link newly seen
  // shows within a second, as a rewritten badge does.
  class LinksTakingRunLoop final : public RunLoop {
   public:
    LinksTakingRunLoop(RunLoop& loop, std::weak_ptr<FileManagerExtension*> extension)
        : loop_(loop), extension_(std::move(extension)) {}
    void addRepeatingTimer(std::chrono::milliseconds interval, std::function<void()> tick) override;

   private:
    RunLoop& loop_;
    std::weak_ptr<FileManagerExtension*> extension_;
  };

  std::optional<std::string_view> answerFor(const std::string& path, bool isDirectory);
  void takeLinks();

  FirstStartLogger logger_;
  EmblemImages images_;
  FolderLinks links_;
  EmblemController controller_;
  // The ticks reach this object through it, weakly.
  std::shared_ptr<FileManagerExtension*> self_;
  LinksTakingRunLoop runLoop_;
  FinderSync extension_;  // it starts with the services above in place
};

}  // namespace tessvik
