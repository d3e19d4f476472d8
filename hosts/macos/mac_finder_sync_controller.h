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

  // The Finder's badge request being answered. While one is alive, an answer
  // for `item` goes out with `original`, the very URL the Finder asked about,
  // rather than a URL rebuilt from the path: the Finder matches answers with
  // its items by URL. One at a time, on the main thread, within the request.
  class Answering {
   public:
    Answering(MacFinderSyncController& controller, NSURL* original, FileUrl item);
    ~Answering();
    Answering(const Answering&) = delete;
    Answering& operator=(const Answering&) = delete;

   private:
    MacFinderSyncController& controller_;
  };

 private:
  NSURL* _Nullable requestUrl_ = nil;
  FileUrl requestItem_;
};

}  // namespace tessvik::macos

NS_ASSUME_NONNULL_END
