#include "file_manager/emblem_controller.h"

#include <algorithm>

#include "file_manager/emblem_images.h"
#include "text/path_match.h"

namespace tessvik {

void EmblemController::setBadgeImage(const SymbolImage& image, std::string_view /*label*/,
                                     std::string_view identifier) {
  if (std::optional<std::string_view> icon = EmblemImages::iconName(image)) {
    icons_.add(identifier, *icon);
  }
}

std::optional<std::string> EmblemController::emblemShown(
    const std::string& path, std::optional<std::string_view> identifier) {
  const int index = identifier ? icons_.indexOf(*identifier) : EmblemIcons::kNone;
  if (HeldItems::Entry* item = held_.findSpelled(path)) item->second.emblem = index;
  if (const std::string* named = aliases_.keyFor(path)) {
    if (HeldItems::Entry* item = held_.find(*named)) item->second.emblem = index;
  }
  if (index == EmblemIcons::kNone) return std::nullopt;
  return icons_.icon(index);
}

void EmblemController::setBadgeIdentifier(std::string_view identifier, const FileUrl& url) {
  // A first load pushes every item of the state, nearly none of them held:
  // those pushes end here.
  HeldItems::Entry* item = held_.findPushed(url);
  if (item == nullptr) return;
  const int emblem = icons_.indexOf(identifier);
  if (item->second.emblem == emblem) return;
  item->second.emblem = emblem;
  refresh(*item);
}

void EmblemController::setDirectoryUrls(const std::vector<FileUrl>& urls) {
  // The extension hands the same set again after every load: nothing moved.
  const std::vector<std::string> moved = observed_.replace(urls);
  if (moved.empty()) return;
  links_.forget();
  for (const std::string& folder : observed_.folders()) links_.realFolder(folder);

  // A held item under a folder that joined or left may change its answer:
  // outside every observed folder nothing has a badge, and the deepest
  // folder that holds an item decides its badge.
  std::vector<text::RootPath> movedRoots(moved.begin(), moved.end());
  for (HeldItems::Entry& item : held_) {
    const text::ItemPath path(item.first);
    if (std::any_of(movedRoots.begin(), movedRoots.end(),
                    [&](const text::RootPath& root) { return path.under(root).has_value(); })) {
      item.second.emblem = HeldItems::kNotShown;
      refresh(item);
    }
  }
}

std::optional<std::string_view> EmblemController::observedPath(const std::string& path,
                                                               std::string& scratch) {
  if (observed_.contains(path)) return path;
  const std::string_view named = namedPath(path, scratch);
  if (named.data() != path.data() && observed_.contains(named)) return named;
  return std::nullopt;
}

std::string_view EmblemController::namedPath(std::string_view path, std::string& scratch) {
  const std::string_view named = links_.resolve(path, scratch);
  std::string rooted;
  const std::string_view observed = observed_.fromReal(named, rooted);
  if (observed.data() == named.data()) return named;
  scratch = observed;
  return scratch;
}

void EmblemController::itemShown(const std::string& path) {
  std::string key = HeldItems::keyOf(path);
  std::string scratch;
  const std::string_view named = namedPath(path, scratch);
  if (named.data() != path.data()) {
    std::string namedKey = HeldItems::keyOf(named);
    if (namedKey != key) held_.hold(aliases_.add(path, std::move(namedKey)), path);
  }
  held_.hold(std::move(key), path);
}

void EmblemController::folderLinked(std::string_view folder, const AnswerFor& answerFor) {
  // A held item right in the link's folder, or anywhere in an observed
  // folder's real folder (the folder itself included).
  std::string real;
  if (const std::optional<std::string_view> named = links_.realFolder(folder)) {
    if (observed_.setReal(folder, *named)) real = *named;
  }
  const auto inFolder = [&](std::string_view path) {
    if (!real.empty() && path.starts_with(real) &&
        (path.size() == real.size() || path[real.size()] == '/')) {
      return true;
    }
    return path.size() > folder.size() + 1 && path.starts_with(folder) &&
           path[folder.size()] == '/' && path.find('/', folder.size() + 1) == path.npos;
  };
  // The item's own spellings in the folder (a spelling through a link is
  // already an alias), collected first: holding them may rehash the items.
  struct Found {
    std::string key;
    std::string path;
    unsigned holders;
  };
  std::vector<Found> found;
  for (const auto& [key, item] : held_) {
    if (item.holders > 0 && inFolder(key) && !aliases_.contains(key)) {
      found.push_back({key, key, item.holders});
    }
    for (const HeldItems::Spelling& other : item.others) {
      if (inFolder(other.path) && !aliases_.contains(other.path)) {
        found.push_back({key, other.path, other.holders});
      }
    }
  }
  for (const Found& spelling : found) {
    std::string scratch;
    const std::string_view named = namedPath(spelling.path, scratch);
    if (named.data() == spelling.path.data()) continue;
    std::string namedKey = HeldItems::keyOf(named);
    if (namedKey == spelling.key) continue;
    aliases_.set(spelling.path, namedKey, spelling.holders);
    for (unsigned i = 0; i < spelling.holders; ++i) held_.hold(namedKey, spelling.path);
    const std::optional<std::string_view> answer = answerFor(spelling.path);
    const int emblem = answer ? icons_.indexOf(*answer) : EmblemIcons::kNone;
    held_.find(namedKey)->second.emblem = emblem;
    HeldItems::Entry* own = held_.find(spelling.key);
    if (own->second.emblem == emblem) continue;
    own->second.emblem = emblem;
    refresh(*own);
  }
}

void EmblemController::itemGone(const std::string& path) {
  aliases_.release(path, [&](const std::string& key) { held_.release(key, path); });
  held_.release(HeldItems::keyOf(path), path);
}

void EmblemController::refresh(const HeldItems::Entry& item) {
  HeldItems::forEachSpelling(item, [&](const std::string& path) { refresher_.refresh(path); });
}

}  // namespace tessvik
