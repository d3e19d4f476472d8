#include "hosts/file_manager/emblem_controller.h"

#include <algorithm>
#include <iterator>

#include "hosts/file_manager/emblem_images.h"
#include "text/path_match.h"
#include "text/unicode.h"

namespace tessvik {
namespace {

// The form under which paths and identifiers are compared: NFC (ill-formed
// UTF-8 bytes become U+FFFD). ASCII, the common case, is kept as it is.
std::string canonicalKey(std::string_view text) {
  return text::isAscii(text) ? std::string(text) : text::toNfc(text);
}

// The key of the item at `path`: its standardised path in NFC.
std::string itemKey(const std::string& path) {
  std::string scratch;
  return canonicalKey(FileUrl::fromPath(path, false).standardizedPath(scratch));
}

}  // namespace

std::vector<EmblemController::Spelling>::iterator EmblemController::findSpelling(
    HeldItem& item, const std::string& path) {
  return std::find_if(item.others.begin(), item.others.end(),
                      [&](const Spelling& other) { return other.path == path; });
}

void EmblemController::setBadgeImage(const SymbolImage& image, std::string_view /*label*/,
                                     std::string_view identifier) {
  std::optional<std::string_view> icon = EmblemImages::iconName(image);
  if (!icon) return;
  std::string key = canonicalKey(identifier);
  auto it = std::find_if(emblems_.begin(), emblems_.end(),
                         [&](const auto& emblem) { return emblem.first == key; });
  if (it != emblems_.end()) {
    it->second = std::string(*icon);
  } else {
    emblems_.emplace_back(std::move(key), std::string(*icon));
  }
}

std::optional<std::string> EmblemController::iconFor(std::string_view identifier) const {
  if (identifier.empty()) return std::nullopt;
  const std::string key = canonicalKey(identifier);
  for (const auto& [registered, icon] : emblems_) {
    if (registered == key) return icon;
  }
  return std::nullopt;
}

void EmblemController::setBadgeIdentifier(std::string_view /*identifier*/, const FileUrl& url) {
  // A first load pushes every item of the state before the file manager has
  // shown any: those pushes end here.
  if (held_.empty()) return;
  std::string scratch;
  const std::string_view path = url.standardizedPath(scratch);
  auto it = text::isAscii(path) ? held_.find(path) : held_.find(text::toNfc(path));
  if (it != held_.end()) refresh(*it);
}

void EmblemController::setDirectoryUrls(const std::vector<FileUrl>& urls) {
  std::vector<std::string> roots;
  roots.reserve(urls.size());
  std::string scratch;
  for (const FileUrl& url : urls) roots.push_back(canonicalKey(url.standardizedPath(scratch)));
  std::sort(roots.begin(), roots.end());
  roots.erase(std::unique(roots.begin(), roots.end()), roots.end());
  // The extension hands the same set again after every load: nothing moved.
  if (roots == roots_) return;

  // A held item under a folder that joined or left may change its answer:
  // outside every observed folder nothing has a badge, and the deepest
  // folder that holds an item decides its badge.
  std::vector<std::string> moved;
  std::set_symmetric_difference(roots_.begin(), roots_.end(), roots.begin(), roots.end(),
                                std::back_inserter(moved));
  roots_ = std::move(roots);
  std::vector<text::RootPath> movedRoots(moved.begin(), moved.end());
  for (const HeldItems::value_type& item : held_) {
    const text::ItemPath path(item.first);
    if (std::any_of(movedRoots.begin(), movedRoots.end(),
                    [&](const text::RootPath& root) { return path.under(root).has_value(); })) {
      refresh(item);
    }
  }
}

void EmblemController::itemShown(const std::string& path) {
  std::string key = itemKey(path);
  const bool spelledAsKey = key == path;
  HeldItem& item = held_[std::move(key)];
  if (spelledAsKey) {
    ++item.holders;
    return;
  }
  auto spelling = findSpelling(item, path);
  if (spelling == item.others.end()) spelling = item.others.insert(item.others.end(), {path, 0});
  ++spelling->holders;
}

void EmblemController::itemGone(const std::string& path) {
  const std::string key = itemKey(path);
  auto it = held_.find(key);
  if (it == held_.end()) return;
  HeldItem& item = it->second;
  if (key == path) {
    if (item.holders > 0) --item.holders;
  } else {
    auto spelling = findSpelling(item, path);
    if (spelling != item.others.end() && --spelling->holders == 0) item.others.erase(spelling);
  }
  if (item.holders == 0 && item.others.empty()) held_.erase(it);
}

void EmblemController::refresh(const HeldItems::value_type& item) {
  if (item.second.holders > 0) refresher_.refresh(item.first);
  for (const Spelling& other : item.second.others) refresher_.refresh(other.path);
}

}  // namespace tessvik
