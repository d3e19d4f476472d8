// The file manager's side of the badges: the controller the extension pushes
// to, which turns its pushes into refreshes of the items the file manager
// holds. It puts together the emblem icon of each badge (EmblemIcons), the
// items held and the emblem each was given (HeldItems), the paths held
// through a link (LinkAliases), the observed folders (ObservedFolders), and
// what is selected. The badges themselves stay in the extension: the file
// manager's question for an item is answered from its query.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "file_manager/emblem_icons.h"
#include "file_manager/folder_links.h"
#include "file_manager/held_items.h"
#include "file_manager/item_refresher.h"
#include "file_manager/link_aliases.h"
#include "file_manager/observed_folders.h"
#include "host/finder_sync_controller.h"

namespace tessvik {

// Paths and identifiers are compared under canonical equivalence, as the
// extension compares them: the sync client may write a name decomposed that
// the file system holds precomposed, or the other way round. An item reached
// through a link to or into an observed folder (FolderLinks), or in the real
// folder of an observed folder written through a link, is also held as the
// item the badge state files name, which is what the extension pushes.
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
  // Each folder of a new set is resolved (FolderLinks), in case it is
  // written through a link.
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
  bool isObserved(const std::string& path) { return observedPath(path, scratch_).has_value(); }
  // The path under which an observed folder holds the item at `path`:
  // `path` itself when it lies in one as named, its namedPath when that
  // does (built in `scratch`); nothing when neither does.
  std::optional<std::string_view> observedPath(const std::string& path, std::string& scratch);
  // `path` as the badge state files would name it: through its folder's
  // link (FolderLinks), then from an observed folder's real folder to that
  // folder as observed, which may itself be written through a link
  // (~/LinkRoot -> ~/RealSync). `path` itself when neither applies or is
  // not known yet; otherwise built in `scratch`.
  std::string_view namedPath(std::string_view path, std::string& scratch);

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
  // manager was shown items in it, or found an observed folder written
  // through a link: each held item in it (in the observed folder's real
  // folder) is now also held as the item it names, and refreshed, as a push
  // would, when its emblem (from `answerFor`) differs from the one it was
  // given.
  void folderLinked(std::string_view folder, const AnswerFor& answerFor);

 private:
  void refresh(const HeldItems::Entry& item);

  ItemRefresher& refresher_;
  FolderLinks& links_;
  EmblemIcons icons_;
  HeldItems held_;
  LinkAliases aliases_;
  ObservedFolders observed_;
  std::optional<std::vector<FileUrl>> selection_;
  std::string scratch_;  // isObserved's, kept to spare an allocation per call
};

}  // namespace tessvik
