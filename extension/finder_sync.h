// The extension's principal class: it registers the badges, keeps the badge
// state files' content in memory, pushes changed badges to the host once a
// second, answers badge requests, and offers the share command.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "extension/real_home.h"
#include "host/file_system.h"
#include "base/file_url.h"
#include "host/host.h"
#include "host/menu.h"
#include "host/run_loop.h"
#include "state/badge_file_decoder.h"
#include "state/status_table.h"
#include "text/path_match.h"

namespace tessvik {

// Threading: every member runs on the thread that owns the main loop. A host
// that receives the platform's calls on other threads hands them to the main
// loop (asynchronously: answers go through the controller anyway) so that a
// badge request never runs while a reload changes the state.
//
// Nothing here throws: every failure becomes a log message and the last good
// state stays.
class FinderSync {
 public:
  // The start sequence: logs the start message, registers the four badges,
  // runs one reload, then schedules the 1.0 s polling timer on the host's run
  // loop. The timer holds this object only weakly: once the object is
  // destroyed its ticks do nothing. `host` and `realHome` must outlive it.
  FinderSync(const Host& host, RealHome& realHome);
  ~FinderSync();
  FinderSync(const FinderSync&) = delete;
  FinderSync& operator=(const FinderSync&) = delete;

  // The host asks for the badge of the item at `url`. Answers through the
  // controller's setBadgeIdentifier, with `url` as given, or not at all for an
  // item outside every synced root and for a root folder itself.
  void requestBadgeIdentifier(const FileUrl& url);

  // The badge identifier of the item at `url`, from memory, without telling
  // the host: nothing for an item outside every synced root and for a root
  // folder itself, "" for an item that its root does not list. The text
  // stays valid until the next reload.
  std::optional<std::string_view> badgeIdentifierFor(const FileUrl& url) const;

  // The menu for `kind` (the host's value): the share item for the items
  // menu, nothing for every other kind.
  std::optional<Menu> menu(int kind);

  // The share item's action: opens tessvik://share?path=… for the first item
  // selected now, or nothing when none is.
  void share();

  std::string toolbarItemName() const;
  std::string toolbarItemToolTip() const;

  // The polling interval.
  static constexpr std::chrono::milliseconds kPollInterval{1000};

 private:
  // The state held for one badge state file. A value: copying it shares the
  // table, which is never changed while a Folder holds it (its memory is
  // recycled once none does).
  struct Folder {
    FileUrl root;
    std::shared_ptr<StatusTable> statuses;
    FileTime modified;
    // The root's standardised path in NFC, worked out once when the file is
    // loaded: every badge request compares the item with every root.
    text::RootPath rootPath;
  };
  // What lookup finds: the folder whose root holds the item, and the item's
  // path relative to that root (pointing into the item's path).
  struct Match {
    const Folder* folder;
    std::string_view relativePath;  // a view into the item's ItemPath
  };
  // A root as a badge request scans it: its summary beside its folder, in
  // one array, so that ruling a root out follows no pointer.
  struct RootEntry {
    text::RootPath::Summary summary;
    const Folder* folder;
  };

  void registerBadge(std::string_view identifier, std::string_view symbolName, NamedColor accent,
                     std::string_view label);
  FileUrl stateDir() const;
  void reload();
  // Removes the entries whose badge state file is gone; true if any was.
  bool dropRemovedFiles(const std::vector<std::string>& names);
  // Reads `name`, at `path`, if its date moved; true if a new state was
  // stored.
  bool loadIfChanged(const std::string& name, const std::string& path);
  void announceObservedFolders();
  void releaseWorkingMemory();
  std::optional<Match> lookup(const text::ItemPath& item) const;
  // Rebuilds roots_ from folders_; called whenever folders_ changes.
  void indexRoots();

  Host host_;
  RealHome& realHome_;
  BadgeFileDecoder decoder_;
  // The bytes of the file being decoded; kept, like the decoder's memory,
  // while files keep changing. A table built from them may take them for its
  // keys (see BadgeFileDecoder::decodeInPlace): the next read then starts
  // from nothing.
  FlatArray<char> readBuffer_;

  // Badge state file name (as listed) -> its state. Ordered so that lookups
  // visit folders in a stable order.
  std::map<std::string, Folder> folders_;
  // The roots of folders_, in its order.
  std::vector<RootEntry> roots_;
  std::string lastError_;

  // The timer's weak reference: the timer's callback holds a weak_ptr to this
  // box, which dies with the object.
  struct Self {
    FinderSync* object;
  };
  std::shared_ptr<Self> self_;
};

}  // namespace tessvik
