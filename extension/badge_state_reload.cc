// Keeping the state in step with the badge state files.
#include <algorithm>
#include <unordered_set>
#include <utility>

#include "extension/badge_state.h"
#include "extension/messages.h"
#include "state/badge_file.h"
#include "text/unicode.h"

namespace tessvik {

bool BadgeState::reload(const FileUrl& stateDir) {
  Result<std::vector<std::string>> listing = fileSystem_.listFolder(stateDir.path());
  if (!listing) {
    // The folder may stay missing for hours: say so once per distinct error.
    const Error& error = listing.error();
    std::string printed = error.printed();
    if (printed != lastListingError_) {
      lastListingError_ = std::move(printed);
      logger_.log(LogLevel::kError, messages::kCannotList, {error.description});
    }
    return false;
  }
  std::vector<std::string> names = std::move(listing).value();
  std::erase_if(names, [](const std::string& name) { return !isBadgeStateFileName(name); });

  const bool dropped = dropRemovedFiles(names);
  bool loaded = false;
  // The state folder's path, with room for a file name: an idle tick costs
  // little more than its system calls.
  std::string path = stateDir.path() + '/';
  const std::size_t dirLength = path.size();
  for (const std::string& name : names) {
    path.resize(dirLength);
    path += name;
    if (loadIfChanged(name, path)) loaded = true;
  }
  if (dropped || loaded) announceObservedRoots();
  // The working memory of reading and decoding (see BadgeFileDecoder) is
  // kept while files keep changing, and released at the first reload that
  // loads none.
  if (loaded) {
    holdingWorkingMemory_ = true;
    return false;
  }
  decoder_.releaseMemory();
  readBuffer_ = FlatArray<char>();
  return std::exchange(holdingWorkingMemory_, false);
}

bool BadgeState::dropRemovedFiles(const std::vector<std::string>& names) {
  // Names in a listing are distinct: when as many of them are held as there
  // are entries, every entry is listed, which is what nearly every tick finds.
  std::size_t listedAndHeld = 0;
  for (const std::string& name : names) listedAndHeld += files_.count(name);
  if (listedAndHeld == files_.size()) return false;
  const std::unordered_set<std::string_view> listed(names.begin(), names.end());
  bool dropped = false;
  for (auto it = files_.begin(); it != files_.end();) {
    if (listed.contains(it->first)) {
      ++it;
      continue;
    }
    const FileState gone = std::move(it->second);
    it = files_.erase(it);
    indexRoots();
    FileUrl::Joiner items(gone.root);
    for (std::size_t i = 0; i < gone.statuses->size(); ++i) {
      controller_.setBadgeIdentifier("", items.join(gone.statuses->keyAt(i)));
    }
    dropped = true;
  }
  return dropped;
}

bool BadgeState::loadIfChanged(const std::string& name, const std::string& path) {
  // A file whose date cannot be read is skipped quietly; it is tried again at
  // the next reload.
  Result<FileTime> modified = fileSystem_.modificationTime(path);
  if (!modified) return false;
  auto held = files_.find(name);
  if (held != files_.end() && held->second.modified == modified.value()) return false;

  // The sync client may rewrite the file while we read it: a half-written file
  // fails to decode, the old state stays, and the next reload reads it again.
  Result<void> read = fileSystem_.readFile(path, readBuffer_, BadgeFileDecoder::kPadding);
  Result<BadgeFile> decoded = !read ? Result<BadgeFile>(read.error())
                              : held == files_.end()
                                  ? decoder_.decodeInPlace(readBuffer_)
                                  : decoder_.decodeInPlace(readBuffer_, *held->second.statuses);
  if (read && !decoded && decoder_.placeLost()) {
    // The decode wrote keys over the bytes before it met the fault: decoded
    // again from a copy, whose bytes stay whole, it says where the fault is.
    // (Read again: the sync client may have replaced the file meanwhile, and
    // then this is the file to take.)
    read = fileSystem_.readFile(path, readBuffer_, BadgeFileDecoder::kPadding);
    decoded = !read ? Result<BadgeFile>(read.error())
                    : decoder_.decode(std::string_view(readBuffer_.data(), readBuffer_.size()));
  }
  if (!decoded) {
    logger_.log(LogLevel::kError, messages::kUnreadableState, {name, decoded.error().description});
    return false;
  }
  BadgeFile file = std::move(decoded).value();
  const long count = static_cast<long>(file.files.size());

  const FileUrl root = FileUrl::fromPath(file.root, true);
  std::string scratch;
  FileState next{root, std::make_shared<StatusTable>(std::move(file.files)), modified.value(),
                 text::RootPath(root.standardizedPath(scratch))};
  // Only a file that still names the same root is diffed against what it said
  // before; under a new root every item is new. A root rewritten in another
  // Unicode spelling is the same folder.
  std::shared_ptr<StatusTable> heldStatuses;
  if (held != files_.end()) heldStatuses = held->second.statuses;
  const bool sameRoot =
      held != files_.end() && text::canonicallyEqual(held->second.root.path(), next.root.path());
  const StatusTable none;
  const StatusTable& previous = sameRoot ? *heldStatuses : none;

  // Store first, then push: the host may ask for badges while we push.
  const FileState& stored = files_.insert_or_assign(name, std::move(next)).first->second;
  indexRoots();
  const FileState current = stored;
  FileUrl::Joiner items(current.root);
  current.statuses->diff(previous, [&](std::string_view key, std::string_view status) {
    controller_.setBadgeIdentifier(status, items.join(key));
  });
  // Nothing holds the replaced table any more: rather than free it, hand its
  // memory to the next decode.
  if (heldStatuses && heldStatuses.use_count() == 1) decoder_.recycle(std::move(*heldStatuses));
  logger_.log(LogLevel::kDefault, messages::kStateLoaded, {count, file.root});
  return true;
}

void BadgeState::announceObservedRoots() {
  // One folder, however many files name it and however each spells it: the
  // first file in name order gives the spelling.
  std::vector<std::pair<std::string, const FileUrl*>> roots;
  roots.reserve(files_.size());
  for (const auto& [name, file] : files_)
    roots.emplace_back(text::toNfc(file.root.path()), &file.root);
  std::stable_sort(roots.begin(), roots.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  roots.erase(std::unique(roots.begin(), roots.end(),
                          [](const auto& a, const auto& b) { return a.first == b.first; }),
              roots.end());
  std::vector<FileUrl> urls;
  urls.reserve(roots.size());
  for (const auto& [key, url] : roots) urls.push_back(*url);
  controller_.setDirectoryUrls(urls);
}

}  // namespace tessvik
