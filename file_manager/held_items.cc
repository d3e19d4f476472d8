#include "file_manager/held_items.h"

#include <algorithm>

#include "text/unicode.h"

namespace tessvik {

std::string HeldItems::keyOf(std::string_view path) {
  std::string scratch;
  const FileUrl url = FileUrl::fromPath(path, false);
  const std::string_view standardized = url.standardizedPath(scratch);
  return text::isAscii(standardized) ? std::string(standardized) : text::toNfc(standardized);
}

void HeldItems::hold(std::string key, const std::string& path) {
  const bool spelledAsKey = key == path;
  auto [it, added] = items_.try_emplace(std::move(key));
  if (added) filter_.add(it->first);
  Item& item = it->second;
  if (spelledAsKey) {
    ++item.holders;
    return;
  }
  auto spelling = std::find_if(item.others.begin(), item.others.end(),
                               [&](const Spelling& other) { return other.path == path; });
  if (spelling == item.others.end()) spelling = item.others.insert(item.others.end(), {path, 0});
  ++spelling->holders;
}

void HeldItems::release(const std::string& key, const std::string& path) {
  auto it = items_.find(key);
  if (it == items_.end()) return;
  Item& item = it->second;
  if (key == path) {
    if (item.holders > 0) --item.holders;
  } else {
    auto spelling = std::find_if(item.others.begin(), item.others.end(),
                                 [&](const Spelling& other) { return other.path == path; });
    if (spelling != item.others.end() && --spelling->holders == 0) item.others.erase(spelling);
  }
  if (item.holders > 0 || !item.others.empty()) return;
  items_.erase(it);
  if (++goneSinceFilter_ < items_.size()) return;
  goneSinceFilter_ = 0;
  filter_.clear();
  for (const Entry& held : items_) filter_.add(held.first);
}

HeldItems::Entry* HeldItems::findSpelled(std::string_view path) {
  if (items_.empty()) return nullptr;
  std::string scratch;
  const FileUrl url = FileUrl::fromPath(path, false);
  path = url.standardizedPath(scratch);
  auto it = text::isAscii(path) ? items_.find(path) : items_.find(text::toNfc(path));
  return it != items_.end() ? &*it : nullptr;
}

HeldItems::Entry* HeldItems::findStandardized(const FileUrl& url) {
  // The extension's paths are well-formed UTF-8, and nearly always in NFC
  // already.
  std::string scratch;
  const std::string_view path = url.standardizedPath(scratch);
  auto it = text::isKnownNfc(path) ? items_.find(path) : items_.find(text::toNfc(path));
  return it != items_.end() ? &*it : nullptr;
}

}  // namespace tessvik
