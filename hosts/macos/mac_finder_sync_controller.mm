#include "hosts/macos/mac_finder_sync_controller.h"

#include "hosts/macos/mac_conversions.h"
#include "hosts/macos/mac_symbol_images.h"

namespace tessvik::macos {

MacFinderSyncController::MacFinderSyncController() {
  FIFinderSyncController.defaultController.directoryURLs = [NSSet set];
}

void MacFinderSyncController::setBadgeImage(const SymbolImage& image, std::string_view label,
                                            std::string_view identifier) {
  NSImage* badge = makeSymbolImage(image);
  NSString* badgeLabel = toNSString(label);
  NSString* badgeIdentifier = toNSString(identifier);
  if (badge == nil || badgeLabel == nil || badgeIdentifier == nil) return;
  // Symbol images are templates, which the Finder may draw in one tint: a
  // badge keeps its own colours (a white mark on a coloured disc).
  [badge setTemplate:NO];
  [FIFinderSyncController.defaultController setBadgeImage:badge
                                                    label:badgeLabel
                                       forBadgeIdentifier:badgeIdentifier];
}

void MacFinderSyncController::setBadgeIdentifier(std::string_view identifier, const FileUrl& url) {
  if (!pushes_.passes(url)) return;
  NSURL* item = toNSURL(url);
  if (item != nil) answerBadgeRequest(identifier, item);
}

void MacFinderSyncController::answerBadgeRequest(std::string_view identifier, NSURL* item) {
  NSString* badgeIdentifier = toNSString(identifier);
  if (badgeIdentifier == nil) return;
  [FIFinderSyncController.defaultController setBadgeIdentifier:badgeIdentifier forURL:item];
}

void MacFinderSyncController::setDirectoryUrls(const std::vector<FileUrl>& urls) {
  NSMutableSet<NSURL*>* folders = [NSMutableSet setWithCapacity:urls.size()];
  for (const FileUrl& url : urls) {
    NSURL* folder = toNSURL(url);
    if (folder != nil) [folders addObject:folder];
  }
  FIFinderSyncController.defaultController.directoryURLs = folders;
}

std::optional<std::vector<FileUrl>> MacFinderSyncController::selectedItemUrls() {
  return selection_;
}

void MacFinderSyncController::holdSelection(NSArray<NSURL*>* _Nullable selected) {
  selection_.reset();
  if (selected == nil) return;
  std::vector<FileUrl> items;
  items.reserve(selected.count);
  for (NSURL* url in selected) {
    if (std::optional<FileUrl> item = toFileUrl(url)) items.push_back(std::move(*item));
  }
  selection_ = std::move(items);
}

}  // namespace tessvik::macos
