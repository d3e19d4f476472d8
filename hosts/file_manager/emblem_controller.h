// The file manager's side of the badges: the emblem icon of each badge the
// extension registered, which items the file manager holds and which emblem
// each was given (so that a push that changes it refreshes it), which
// folders the extension observes, and what is selected. The badges
// themselves stay in the extension: the file manager's question for an item
// is answered from its query.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/finder_sync_controller.h"
#include "hosts/file_manager/folder_links.h"
#include "hosts/file_manager/item_refresher.h"

namespace tessvik {

// Paths and identifiers are compared under canonical equivalence, as the
// extension compares them: the sync client may write a name decomposed that
// the file system holds precomposed, or the other way round. An item reached
// through a link to or into an observed folder (FolderLinks) is also held as
// the item the link names, which is what the extension pushes.
//
// Memory: the registered badges, the observed folders, a table of 128 KiB
// once an item is held, and for each item the file manager holds (see
// itemShown) one entry, two when it is reached through a link; nothing per
// item of the badge state.
//
// Thread-safety: main loop only. Nothing here throws but std::bad_alloc.
class EmblemController final : public FinderSyncController {
 public:
  // `refresher` and `links` must outlive this object.
  EmblemController(ItemRefresher& refresher, FolderLinks& links)
      : refresher_(refresher), links_(links) {}

  // The badge is shown as the icon that EmblemImages names for `image`; an
  // image without one leaves `identifier` unregistered. The label has no
  // place in a file manager and is not kept.
  void setBadgeImage(const SymbolImage& image, std::string_view label,
                     std::string_view identifier) override;
  // The item's badge may have changed: if the file manager holds it and the
  // emblem it was last given (emblemShown) differs, it is refreshed under
  // each of its spellings. An item the file manager does not hold costs no
  // refresh.
  void setBadgeIdentifier(std::string_view identifier, const FileUrl& url) override;
  // Replaces the observed folders. The held items under a folder that left
  // or joined the set are refreshed; the same set again refreshes nothing.
  void setDirectoryUrls(const std::vector<FileUrl>& urls) override;
  std::optional<std::vector<FileUrl>> selectedItemUrls() override { return selection_; }

  // The selection that selectedItemUrls reports until the next call.
  void setSelection(std::optional<std::vector<FileUrl>> selection) {
    selection_ = std::move(selection);
  }

  // The emblem icon name for the extension's answer for the item at `path`
  // (nothing: no answer, the empty identifier, or one with no registered
  // badge), remembered for that item if it is held.
  std::optional<std::string> emblemShown(const std::string& path,
                                         std::optional<std::string_view> identifier);

  // Whether the item at `path` (absolute) is an observed folder or lies
  // below one, as named or through a link.
  bool isObserved(const std::string& path);

  // One of the file manager's items now holds the path `path` (absolute, its
  // own bytes): pushes for that item refresh it under that spelling. Counted:
  // each call is undone by one itemGone(path), when that item lets go of the
  // path (it is dropped, or renamed). itemGone for a path not held does
  // nothing.
  void itemShown(const std::string& path);
  void itemGone(const std::string& path);

  // The extension's answer for the item at `path`, as emblemFor gives it.
  using AnswerFor = std::function<std::optional<std::string_view>(const std::string& path)>;
  // FolderLinks found `folder` to be a link to another folder after the file
  // manager was shown items in it: each held item in it is now also held as
  // the item it names, and refreshed, as a push would, when its emblem (from
  // `answerFor`) differs from the one it was given.
  void folderLinked(std::string_view folder, const AnswerFor& answerFor);

 private:
  // The registered badge an identifier shows, as an index in emblems_, or
  // kNoEmblem.
  static constexpr int kNoEmblem = -1;
  // An item that has not been given an emblem since it was held.
  static constexpr int kNotShown = -2;
  int emblemIndex(std::string_view identifier) const;

  // How many of the file manager's items hold each spelling of one item:
  // the spelling that is the item's key, and the others (names not in NFC,
  // and paths through a link, which are rare).
  struct Spelling {
    std::string path;
    unsigned holders = 0;
  };
  struct HeldItem {
    unsigned holders = 0;
    std::vector<Spelling> others;
    int emblem = kNotShown;
  };
  // Lets a key be found from a string_view: a push for an ASCII path, the
  // common case, looks up without allocating.
  struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const noexcept {
      return std::hash<std::string_view>{}(key);
    }
  };
  using HeldItems = std::unordered_map<std::string, HeldItem, KeyHash, std::equal_to<>>;
  // A path held through a link: the key of the item it names, and how many
  // times it is held.
  struct Linked {
    std::string key;
    unsigned holders = 0;
  };

  // A first load pushes up to a million items, nearly none of them held: a
  // push first looks at one bit, picked by the last bytes of its key,
  // set for every held key (and for keys held once, until the bits are
  // worked out again), which rules out most pushes without touching held_.
  static constexpr int kFilterBits = 20;
  static std::size_t filterSlot(std::string_view key);
  bool mayBeHeld(std::string_view key) const {
    const std::size_t slot = filterSlot(key);
    return (filter_[slot >> 6] >> (slot & 63)) & 1;
  }
  void markHeld(std::string_view key) {
    const std::size_t slot = filterSlot(key);
    filter_[slot >> 6] |= std::uint64_t{1} << (slot & 63);
  }

  void hold(std::string key, const std::string& path);
  void release(const std::string& key, const std::string& path);
  // The held item whose key the standardised `path` is, or nothing.
  HeldItem* findHeld(std::string_view path);
  void refresh(const HeldItems::value_type& item);

  ItemRefresher& refresher_;
  FolderLinks& links_;
  // Badge identifier (NFC) -> icon name, in the order registered.
  std::vector<std::pair<std::string, std::string>> emblems_;
  // Item key (standardised path in NFC) -> who holds it, under which names.
  HeldItems held_;
  // The bits of held_'s keys (mayBeHeld); empty while nothing was ever
  // held. Worked out again once as many keys were let go as are held.
  std::vector<std::uint64_t> filter_;
  std::size_t goneSinceFilter_ = 0;
  // The file manager's path -> the item it names through a link.
  std::unordered_map<std::string, Linked> linked_;
  // Observed folders: standardised paths in NFC, sorted, without repeats.
  std::vector<std::string> roots_;
  std::optional<std::vector<FileUrl>> selection_;
};

}  // namespace tessvik
