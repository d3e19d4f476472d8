// The Finder Sync host's shared controller: FIFinderSyncController's
// defaultController, fetched anew at each use. Objective-C++ only.
#pragma once

#import <FinderSync/FinderSync.h>

#include "base/file_url.h"
#include "host/finder_sync_controller.h"

NS_ASSUME_NONNULL_BEGIN

namespace tessvik::macos {

// Thread-safety: main thread, as the interface says.
class MacFinderSyncController final : public FinderSyncController {
 public:
  // Text that is not UTF-8 (which the core never passes) drops the call.
  void setBadgeImage(const SymbolImage& image, std::string_view label,
                     std::string_view identifier) override;
  void setBadgeIdentifier(std::string_view identifier, const FileUrl& url) override;
  void setDirectoryUrls(const std::vector<FileUrl>& urls) override;
  // The selected items that are files, in the Finder's order.
  std::optional<std::vector<FileUrl>> selectedItemUrls() override;

  // Answers the Finder's badge request for `item` with the very URL it asked
  // about: the Finder matches answers with its items by URL.
  void answerBadgeRequest(std::string_view identifier, NSURL* item);
};

}  // namespace tessvik::macos

NS_ASSUME_NONNULL_END
