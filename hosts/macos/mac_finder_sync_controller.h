// The Finder Sync host's shared controller: FIFinderSyncController's
// defaultController, fetched anew at each use. Objective-C++ only.
#pragma once

#import <FinderSync/FinderSync.h>

#include "base/file_url.h"
#include "host/finder_sync_controller.h"
#include "hosts/macos/badge_push_filter.h"

NS_ASSUME_NONNULL_BEGIN

namespace tessvik::macos {

// Thread-safety: main thread, as the interface says.
//
// Two departures from passing every call straight on, both asked by Apple's
// documentation of FIFinderSyncController: a pushed badge goes on only for
// an item the Finder has asked about, or a folder URL (BadgePushFilter); and
// the Finder is told at once that there is nothing to observe yet, before the
// first badge state file is read.
class MacFinderSyncController final : public FinderSyncController {
 public:
  // Sets the folders to observe to none.
  MacFinderSyncController();

  // Text that is not UTF-8 (which the core never passes) drops the call.
  void setBadgeImage(const SymbolImage& image, std::string_view label,
                     std::string_view identifier) override;
  void setBadgeIdentifier(std::string_view identifier, const FileUrl& url) override;
  void setDirectoryUrls(const std::vector<FileUrl>& urls) override;
  // The selection that holdSelection() was last given.
  std::optional<std::vector<FileUrl>> selectedItemUrls() override;

  // Holds the items that the Finder reported selected when the share action
  // ran, keeping those that are files, in the Finder's order. The Finder
  // vouches for its selection only while the action runs, and the extension
  // may share later, on the main thread: so the action reads the selection
  // and the share gets it from here.
  void holdSelection(NSArray<NSURL*>* _Nullable selected);

  // Answers the Finder's badge request for `item` with the very URL it asked
  // about: the Finder matches answers with its items by URL.
  void answerBadgeRequest(std::string_view identifier, NSURL* item);

  // The Finder asked about `item`: later pushes for it go on to the Finder.
  void itemAsked(const FileUrl& item) { pushes_.asked(item); }

 private:
  BadgePushFilter pushes_;
  std::optional<std::vector<FileUrl>> selection_;
};

}  // namespace tessvik::macos

NS_ASSUME_NONNULL_END
