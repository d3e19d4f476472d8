// The extension's principal class: it registers the badges, keeps the badge
// state in step with the sync client's files once a second, answers badge
// requests from it, and offers the share command.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/file_url.h"
#include "extension/badge_state.h"
#include "extension/state_folder.h"
#include "host/host.h"
#include "host/menu.h"
#include "host/system_memory.h"

namespace tessvik {

// Threading: every member runs on the thread that owns the main loop. A host
// that receives the platform's calls on other threads hands them to the main
// loop (asynchronously: answers go through the controller anyway) so that a
// badge request never runs while a reload changes the state.
//
// Nothing here throws but std::bad_alloc: every failure becomes a log
// message and the last good state stays.
class FinderSync {
 public:
  // The start sequence: logs the start message, registers the four badges,
  // reloads the state once, then schedules the 1.0 s polling timer on the
  // host's run loop. The run loop keeps the timer; the timer holds this
  // object only weakly, so once the object is destroyed its ticks do
  // nothing. `stateFolder` is where the badge state files are read from,
  // as the host's system keeps them (see state_folder.h). `host` must
  // outlive the object.
  FinderSync(const Host& host, FileUrl stateFolder);
  FinderSync(const FinderSync&) = delete;
  FinderSync& operator=(const FinderSync&) = delete;

  // The host asks for the badge of the item at `url`: answers through the
  // controller's setBadgeIdentifier, with `url` as given, or not at all for an
  // item outside every synced root and for a root folder itself.
  void requestBadgeIdentifier(const FileUrl& url);

  // The same answer, returned rather than pushed: see
  // BadgeState::badgeIdentifierFor. For hosts that ask for an item's badge
  // when they draw it.
  std::optional<std::string_view> badgeIdentifierFor(const FileUrl& url) const {
    return state_.badgeIdentifierFor(url);
  }
  // The same, with a root folder's own badge: see BadgeState::badgeShownFor.
  std::optional<std::string_view> badgeShownFor(const FileUrl& url) const {
    return state_.badgeShownFor(url);
  }

  // The menu for `kind` (the host's value): the share item for the items
  // menu, nothing for every other kind.
  std::optional<Menu> menu(int kind);

  // The share item's action: opens tessvik://share?path=… for the first item
  // selected now, or nothing when none is.
  void share();

  std::string toolbarItemName() const;
  std::string toolbarItemToolTip() const;

  static constexpr std::chrono::milliseconds kPollInterval{1000};

 private:
  void registerBadge(std::string_view identifier, std::string_view symbolName, NamedColor accent,
                     std::string_view label);
  // What reading and decoding freed goes back to the system at once: a
  // long-lived file manager would otherwise keep it for good.
  void reload() {
    if (state_.reload(stateFolder_)) host_.memory.returnFreedMemory();
  }

  Host host_;
  FileUrl stateFolder_;
  BadgeState state_;
  // What the timer's tick holds: a weak reference to this box, which dies
  // with the object.
  struct Self {
    FinderSync* object;
  };
  std::shared_ptr<Self> self_;
};

}  // namespace tessvik
