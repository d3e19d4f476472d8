// The file manager's side of the badges: what the extension registered and
// said per item, which folders it observes, and what is selected; and the
// emblem that each item the file manager shows gets from all of that.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/finder_sync_controller.h"
#include "hosts/file_manager/item_refresher.h"

namespace tessvik {

// Paths and identifiers are compared under canonical equivalence, as the
// extension compares them: the sync client may write a name decomposed that
// the file system holds precomposed, or the other way round.
//
// Thread-safety: main loop only. Nothing here throws but std::bad_alloc.
class EmblemController final : public FinderSyncController {
 public:
  // `refresher` must outlive this object.
  explicit EmblemController(ItemRefresher& refresher) : refresher_(refresher) {}

  // The badge is shown as the icon that EmblemImages names for `image`; an
  // image without one leaves `identifier` unregistered. The label has no
  // place in a file manager and is not kept.
  void setBadgeImage(const SymbolImage& image, std::string_view label,
                     std::string_view identifier) override;
  // Keeps `identifier` for the item and, when that changes what it shows,
  // refreshes it; the empty identifier forgets the item.
  void setBadgeIdentifier(std::string_view identifier, const FileUrl& url) override;
  // Replaces the observed folders. Items no longer inside one are forgotten
  // and refreshed: outside the observed folders nothing shows a badge.
  void setDirectoryUrls(const std::vector<FileUrl>& urls) override;
  std::optional<std::vector<FileUrl>> selectedItemUrls() override { return selection_; }

  // The selection that selectedItemUrls reports until the next call.
  void setSelection(std::optional<std::vector<FileUrl>> selection) {
    selection_ = std::move(selection);
  }

  // The file manager shows the item at `path` (absolute, its own bytes) and
  // asks for its emblem. An item this host knows nothing of, inside an
  // observed folder, is asked for first through `ask` (the extension's
  // requestBadgeIdentifier, which answers through setBadgeIdentifier at once
  // or not at all). Returns the emblem's icon name, or nothing for no emblem
  // (no identifier, the empty one, or one with no registered badge).
  std::optional<std::string> emblemForItem(const std::string& path, bool isDirectory,
                                           const std::function<void(const FileUrl&)>& ask);

 private:
  bool isObserved(std::string_view key) const;
  void refreshItem(const std::string& key, std::string_view spelledAs);

  ItemRefresher& refresher_;
  // Badge identifier (NFC) -> icon name.
  std::unordered_map<std::string, std::string> emblems_;
  // Item key (standardised path in NFC) -> badge identifier (NFC, never empty).
  std::unordered_map<std::string, std::string> identifiers_;
  // Observed folders: standardised paths, in the order given.
  std::vector<std::string> roots_;
  // The file manager's own spellings of items whose path is not their key
  // (names not in NFC, which are rare): a refresh must name the item as the
  // file manager holds it.
  std::unordered_map<std::string, std::vector<std::string>> spellings_;
  // The item whose request is being answered now: it needs no refresh.
  const std::string* answering_ = nullptr;
  std::optional<std::vector<FileUrl>> selection_;
};

}  // namespace tessvik
