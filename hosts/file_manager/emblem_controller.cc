#include "hosts/file_manager/emblem_controller.h"

#include <algorithm>

#include "hosts/file_manager/emblem_images.h"
#include "text/path_match.h"
#include "text/unicode.h"

namespace tessvik {
namespace {

// The form under which paths and identifiers are kept: NFC (ill-formed
// UTF-8 bytes become U+FFFD). ASCII, the common case, is kept as it is.
std::string canonicalKey(std::string_view text) {
  return text::isAscii(text) ? std::string(text) : text::toNfc(text);
}

std::vector<std::string> standardizedPaths(const std::vector<FileUrl>& urls) {
  std::vector<std::string> paths;
  paths.reserve(urls.size());
  std::string scratch;
  for (const FileUrl& url : urls) paths.emplace_back(url.standardizedPath(scratch));
  return paths;
}

}  // namespace

void EmblemController::setBadgeImage(const SymbolImage& image, std::string_view /*label*/,
                                     std::string_view identifier) {
  if (std::optional<std::string_view> icon = EmblemImages::iconName(image)) {
    emblems_.insert_or_assign(canonicalKey(identifier), std::string(*icon));
  }
}

void EmblemController::setBadgeIdentifier(std::string_view identifier, const FileUrl& url) {
  std::string scratch;
  const std::string_view path = url.standardizedPath(scratch);
  std::string key = canonicalKey(path);
  std::string canonicalIdentifier = canonicalKey(identifier);
  bool changed = false;
  if (canonicalIdentifier.empty()) {
    changed = identifiers_.erase(key) > 0;
  } else {
    auto [it, inserted] = identifiers_.try_emplace(key, canonicalIdentifier);
    changed = inserted || it->second != canonicalIdentifier;
    if (!inserted) it->second = std::move(canonicalIdentifier);
  }
  // The item being asked about now gets its emblem from the answer itself.
  if (!changed || (answering_ != nullptr && *answering_ == key)) return;
  refreshItem(key, path);
}

void EmblemController::setDirectoryUrls(const std::vector<FileUrl>& urls) {
  std::vector<std::string> roots = standardizedPaths(urls);
  std::vector<std::string> sortedNew = roots;
  std::vector<std::string> sortedOld = roots_;
  std::sort(sortedNew.begin(), sortedNew.end());
  std::sort(sortedOld.begin(), sortedOld.end());
  // The extension hands the same set again after every load: nothing moved.
  if (sortedNew == sortedOld) return;
  roots_ = std::move(roots);

  std::vector<std::string> outside;
  for (const auto& [key, identifier] : identifiers_) {
    if (!isObserved(key)) outside.push_back(key);
  }
  for (const std::string& key : outside) {
    identifiers_.erase(key);
    refreshItem(key, key);
  }
}

std::optional<std::string> EmblemController::emblemForItem(
    const std::string& path, bool isDirectory, const std::function<void(const FileUrl&)>& ask) {
  const FileUrl url = FileUrl::fromPath(path, isDirectory);
  std::string scratch;
  const std::string key = canonicalKey(url.standardizedPath(scratch));
  if (key != path) {
    std::vector<std::string>& spellings = spellings_[key];
    if (std::find(spellings.begin(), spellings.end(), path) == spellings.end()) {
      spellings.push_back(path);
    }
  }

  auto it = identifiers_.find(key);
  if (it == identifiers_.end() && isObserved(key)) {
    answering_ = &key;
    struct ClearOnExit {
      const std::string*& slot;
      ~ClearOnExit() { slot = nullptr; }
    } clear{answering_};
    ask(url);
    it = identifiers_.find(key);
  }
  if (it == identifiers_.end()) return std::nullopt;
  auto emblem = emblems_.find(it->second);
  if (emblem == emblems_.end()) return std::nullopt;
  return emblem->second;
}

bool EmblemController::isObserved(std::string_view key) const {
  if (roots_.empty()) return false;
  const text::ItemPath item(key);
  return std::any_of(roots_.begin(), roots_.end(),
                     [&](const std::string& root) { return item.under(root).has_value(); });
}

void EmblemController::refreshItem(const std::string& key, std::string_view spelledAs) {
  refresher_.refresh(key);
  if (spelledAs != key) refresher_.refresh(std::string(spelledAs));
  auto spellings = spellings_.find(key);
  if (spellings == spellings_.end()) return;
  for (const std::string& path : spellings->second) {
    if (path != spelledAs) refresher_.refresh(path);
  }
}

}  // namespace tessvik
