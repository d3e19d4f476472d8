#include "hosts/file_manager/emblem_controller.h"

#include <algorithm>
#include <bit>
#include <cstring>
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
std::string itemKey(std::string_view path) {
  std::string scratch;
  return canonicalKey(FileUrl::fromPath(path, false).standardizedPath(scratch));
}

}  // namespace

void EmblemController::setBadgeImage(const SymbolImage& image, std::string_view /*label*/,
                                     std::string_view identifier) {
  std::optional<std::string_view> icon = EmblemImages::iconName(image);
  if (!icon) return;
  std::string key = canonicalKey(identifier);
  const int index = emblemIndex(key);
  if (index != kNoEmblem) {
    emblems_[static_cast<std::size_t>(index)].second = std::string(*icon);
  } else {
    emblems_.emplace_back(std::move(key), std::string(*icon));
  }
}

int EmblemController::emblemIndex(std::string_view identifier) const {
  if (identifier.empty()) return kNoEmblem;
  std::string nfc;
  if (!text::isAscii(identifier)) identifier = nfc = text::toNfc(identifier);
  for (std::size_t i = 0; i < emblems_.size(); ++i) {
    if (emblems_[i].first == identifier) return static_cast<int>(i);
  }
  return kNoEmblem;
}

EmblemController::HeldItem* EmblemController::findHeld(std::string_view path) {
  if (held_.empty()) return nullptr;
  std::string scratch;
  const FileUrl url = FileUrl::fromPath(path, false);
  path = url.standardizedPath(scratch);
  auto it = text::isAscii(path) ? held_.find(path) : held_.find(text::toNfc(path));
  return it != held_.end() ? &it->second : nullptr;
}

std::optional<std::string> EmblemController::emblemShown(
    const std::string& path, std::optional<std::string_view> identifier) {
  const int index = identifier ? emblemIndex(*identifier) : kNoEmblem;
  if (HeldItem* item = findHeld(path)) item->emblem = index;
  if (!linked_.empty()) {
    if (auto link = linked_.find(path); link != linked_.end()) {
      if (auto it = held_.find(link->second.key); it != held_.end()) it->second.emblem = index;
    }
  }
  if (index == kNoEmblem) return std::nullopt;
  return emblems_[static_cast<std::size_t>(index)].second;
}

void EmblemController::setBadgeIdentifier(std::string_view identifier, const FileUrl& url) {
  // A first load pushes every item of the state before the file manager has
  // shown any: those pushes end here.
  if (held_.empty()) return;
  // Nearly every push ends at the filter, before the path is even
  // standardised. The extension's paths are well-formed UTF-8, and nearly
  // always in NFC already.
  const std::string& raw = url.path();
  if (!mayBeHeld(raw) && !raw.ends_with("/.") && !raw.ends_with("/..")) return;
  std::string scratch;
  const std::string_view path = url.standardizedPath(scratch);
  auto it = text::isKnownNfc(path) ? held_.find(path) : held_.find(text::toNfc(path));
  if (it == held_.end()) return;
  const int emblem = emblemIndex(identifier);
  if (it->second.emblem == emblem) return;
  it->second.emblem = emblem;
  refresh(*it);
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
  links_.forget();

  // A held item under a folder that joined or left may change its answer:
  // outside every observed folder nothing has a badge, and the deepest
  // folder that holds an item decides its badge.
  std::vector<std::string> moved;
  std::set_symmetric_difference(roots_.begin(), roots_.end(), roots.begin(), roots.end(),
                                std::back_inserter(moved));
  roots_ = std::move(roots);
  std::vector<text::RootPath> movedRoots(moved.begin(), moved.end());
  for (HeldItems::value_type& item : held_) {
    const text::ItemPath path(item.first);
    if (std::any_of(movedRoots.begin(), movedRoots.end(),
                    [&](const text::RootPath& root) { return path.under(root).has_value(); })) {
      item.second.emblem = kNotShown;
      refresh(item);
    }
  }
}

bool EmblemController::isObserved(const std::string& path) {
  const auto observed = [&](std::string_view spelling) {
    std::string scratch;
    const FileUrl url = FileUrl::fromPath(spelling, false);
    const text::ItemPath item(url.standardizedPath(scratch));
    return std::any_of(roots_.begin(), roots_.end(), [&](const std::string& root) {
      return item.under(text::RootPath(root)).has_value();
    });
  };
  if (observed(path)) return true;
  std::string scratch;
  const std::string_view named = links_.resolve(path, scratch);
  return named.data() != path.data() && observed(named);
}

std::size_t EmblemController::filterSlot(std::string_view path) {
  // From the path's last bytes: those of its last segment after its last
  // byte that is not ASCII, eight at most. Standardising a path leaves its
  // last segment as it is (unless that is "." or ".."), and canonically
  // equivalent spellings end with the same ASCII bytes, since a combining
  // mark follows the letter it belongs to. So a push in any form finds the
  // bit of a key held standardised and in NFC.
  constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
  constexpr std::uint64_t kLow = 0x7F7F7F7F7F7F7F7FULL;
  const std::size_t n = std::min<std::size_t>(path.size(), 8);
  std::uint64_t tail = 0;  // the last byte in the top eight bits
  std::memcpy(reinterpret_cast<char*>(&tail) + 8 - n, path.data() + path.size() - n, n);
  const std::uint64_t notSlash = tail ^ 0x2F2F2F2F2F2F2F2FULL;  // zero where '/'
  const std::uint64_t slashes = ~(((notSlash & kLow) + kLow) | notSlash | kLow);
  if (const std::uint64_t stops = (tail & kHigh) | slashes; stops != 0) {
    const int last = (63 - std::countl_zero(stops)) / 8;
    tail = last == 7 ? 0 : tail >> (8 * (last + 1));
  }
  return static_cast<std::size_t>((tail * 0x9E3779B97F4A7C15ULL) >> (64 - kFilterBits));
}

void EmblemController::hold(std::string key, const std::string& path) {
  const bool spelledAsKey = key == path;
  if (filter_.empty()) filter_.resize((std::size_t{1} << kFilterBits) / 64);
  auto [it, added] = held_.try_emplace(std::move(key));
  if (added) markHeld(it->first);
  HeldItem& item = it->second;
  if (spelledAsKey) {
    ++item.holders;
    return;
  }
  auto spelling = std::find_if(item.others.begin(), item.others.end(),
                               [&](const Spelling& other) { return other.path == path; });
  if (spelling == item.others.end()) spelling = item.others.insert(item.others.end(), {path, 0});
  ++spelling->holders;
}

void EmblemController::release(const std::string& key, const std::string& path) {
  auto it = held_.find(key);
  if (it == held_.end()) return;
  HeldItem& item = it->second;
  if (key == path) {
    if (item.holders > 0) --item.holders;
  } else {
    auto spelling = std::find_if(item.others.begin(), item.others.end(),
                                 [&](const Spelling& other) { return other.path == path; });
    if (spelling != item.others.end() && --spelling->holders == 0) item.others.erase(spelling);
  }
  if (item.holders > 0 || !item.others.empty()) return;
  held_.erase(it);
  if (++goneSinceFilter_ < held_.size()) return;
  goneSinceFilter_ = 0;
  std::fill(filter_.begin(), filter_.end(), 0);
  for (const auto& held : held_) markHeld(held.first);
}

void EmblemController::itemShown(const std::string& path) {
  std::string key = itemKey(path);
  std::string scratch;
  const std::string_view named = links_.resolve(path, scratch);
  if (named.data() != path.data()) {
    std::string namedKey = itemKey(named);
    if (namedKey != key) {
      Linked& link = linked_[path];
      if (link.holders++ == 0) link.key = namedKey;
      hold(link.key, path);
    }
  }
  hold(std::move(key), path);
}

void EmblemController::folderLinked(std::string_view folder, const AnswerFor& answerFor) {
  const auto inFolder = [&](std::string_view path) {
    return path.size() > folder.size() + 1 && path.starts_with(folder) &&
           path[folder.size()] == '/' && path.find('/', folder.size() + 1) == path.npos;
  };
  // The item's own spellings in the folder (a spelling through a link is
  // already in linked_), collected first: holding them may rehash held_.
  struct Found {
    std::string key;
    std::string path;
    unsigned holders;
  };
  std::vector<Found> found;
  for (const auto& [key, item] : held_) {
    if (item.holders > 0 && inFolder(key) && !linked_.contains(key)) {
      found.push_back({key, key, item.holders});
    }
    for (const Spelling& other : item.others) {
      if (inFolder(other.path) && !linked_.contains(other.path)) {
        found.push_back({key, other.path, other.holders});
      }
    }
  }
  for (const Found& spelling : found) {
    std::string scratch;
    const std::string_view named = links_.resolve(spelling.path, scratch);
    if (named.data() == spelling.path.data()) continue;
    std::string namedKey = itemKey(named);
    if (namedKey == spelling.key) continue;
    linked_[spelling.path] = {namedKey, spelling.holders};
    for (unsigned i = 0; i < spelling.holders; ++i) hold(namedKey, spelling.path);
    const std::optional<std::string_view> answer = answerFor(spelling.path);
    const int emblem = answer ? emblemIndex(*answer) : kNoEmblem;
    held_.find(namedKey)->second.emblem = emblem;
    auto own = held_.find(spelling.key);
    if (own->second.emblem == emblem) continue;
    own->second.emblem = emblem;
    refresh(*own);
  }
}

void EmblemController::itemGone(const std::string& path) {
  if (auto link = linked_.find(path); link != linked_.end()) {
    release(link->second.key, path);
    if (--link->second.holders == 0) linked_.erase(link);
  }
  release(itemKey(path), path);
}

void EmblemController::refresh(const HeldItems::value_type& item) {
  if (item.second.holders > 0) refresher_.refresh(item.first);
  for (const Spelling& other : item.second.others) refresher_.refresh(other.path);
}

}  // namespace tessvik
