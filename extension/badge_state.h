// The sync client's account of its folders as the extension holds it: the
// content of every badge state file in the state folder, kept in step with
// the files, and the badge of any item answered from it.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_url.h"
#include "base/flat_array.h"
#include "host/file_system.h"
#include "host/finder_sync_controller.h"
#include "host/logger.h"
#include "state/badge_file_decoder.h"
#include "state/status_table.h"
#include "text/path_match.h"

namespace tessvik {

// Thread-safety: none. The owner calls reload() and the lookups from one
// thread, so that a lookup never runs while a reload changes the state.
// Nothing here throws but std::bad_alloc: every failure to list, date, read
// or decode becomes a log message and the last good state stays.
class BadgeState {
 public:
  // `files`, `logger` and `controller` must outlive this object.
  BadgeState(FileSystem& files, Logger& logger, FinderSyncController& controller);
  BadgeState(const BadgeState&) = delete;
  BadgeState& operator=(const BadgeState&) = delete;

  // Brings the state in step with the badge state files in `stateDir`:
  // lists the folder, drops the state of files that are gone, reads the
  // files whose modification date moved, pushes to the controller the badge
  // of every item whose status changed, and, when a file was loaded or
  // dropped, the roots to observe. A listing failure is logged once per
  // distinct error and changes nothing; a file that cannot be dated is
  // skipped quietly; one that cannot be read or decoded is logged at every
  // reload and keeps its last good state. The working memory of reading and
  // decoding is kept while files keep changing, and freed at the first
  // reload that loads none: true then, so that the host may hand it back to
  // the system.
  bool reload(const FileUrl& stateDir);

  // The badge identifier of the item at `item`: nothing for an item outside
  // every root and for a root folder itself, "" for an item that its root
  // does not list. Where roots nest, the deepest wins. The text stays valid
  // until the next reload. Touches no file.
  std::optional<std::string_view> badgeIdentifierFor(const FileUrl& item) const;
  // The same, and for a root folder itself the badge its file gives it (its
  // empty key; nothing when it gives none), which the Finder shows because
  // a load pushes it: for hosts that ask for every badge they show.
  std::optional<std::string_view> badgeShownFor(const FileUrl& item) const;

  // Where the answer for `item` comes from, to explain it: the badge state
  // file whose root holds the item (the deepest, as above), that root as the
  // file wrote it, the item's path relative to it (in NFC; empty for the root
  // itself) and the file's statuses. Nothing for an item outside every root.
  // Touches no file.
  struct Match {
    std::string fileName;
    std::string root;
    std::string relativePath;
    std::shared_ptr<const StatusTable> statuses;
  };
  std::optional<Match> matchFor(const FileUrl& item) const;

 private:
  // What was read from one badge state file. A value: copying it shares the
  // table, which never changes while anything holds it.
  struct FileState {
    FileUrl root;
    std::shared_ptr<StatusTable> statuses;
    FileTime modified;
    // The root's standardised path in NFC, worked out once when the file is
    // loaded: every lookup compares the item with every root.
    text::RootPath rootPath;
  };
  // A root as a lookup scans it: its summary beside its file's state, in one
  // array, so that ruling a root out follows no pointer.
  struct RootEntry {
    text::RootPath::Summary summary;
    const FileState* file;
    const std::string* fileName;  // its key in files_
  };
  // The root that holds an item, and the item's place under it.
  struct Holder {
    const RootEntry* root;
    text::ItemPath::Match match;
  };

  // The root that holds `path`: the deepest, the first visited among equal
  // ones; nothing outside every root.
  std::optional<Holder> holderOf(const text::ItemPath& path) const;

  // Drops the state of the files missing from `names`; true if any was.
  bool dropRemovedFiles(const std::vector<std::string>& names);
  // Reads the file `name`, at `path`, if its date moved; true if a new state
  // was stored.
  bool loadIfChanged(const std::string& name, const std::string& path);
  void announceObservedRoots();
  // Rebuilds roots_ from files_; called whenever files_ changes, before any
  // push (the host may ask for badges while it is pushed to).
  void indexRoots();

  FileSystem& fileSystem_;
  Logger& logger_;
  FinderSyncController& controller_;

  // Badge state file name, as listed -> what was read from it. Ordered, so
  // that lookups visit the files in a stable order.
  std::map<std::string, FileState> files_;
  std::vector<RootEntry> roots_;  // the roots of files_, in its order
  // The printed form of the last listing failure logged.
  std::string lastListingError_;

  BadgeFileDecoder decoder_;
  // The bytes of the file being decoded; kept, like the decoder's memory,
  // while files keep changing. A table built from them may take them for its
  // keys (see BadgeFileDecoder::decodeInPlace): the next read then starts
  // from nothing.
  FlatArray<char> readBuffer_;
  // Whether a file was loaded since the working memory was last freed.
  bool holdingWorkingMemory_ = false;
};

}  // namespace tessvik
