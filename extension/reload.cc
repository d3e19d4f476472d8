// Keeping the in-memory state in step with the badge state files.
#include <algorithm>
#include <unordered_set>

#include "extension/finder_sync.h"
#include "extension/messages.h"
#include "host/finder_sync_controller.h"
#include "host/logger.h"

namespace tessvik {

void FinderSync::reload() {
  const FileUrl dir = stateDir();
  Result<std::vector<std::string>> listing = host_.fileSystem.listFolder(dir.path());
  if (!listing) {
    // The folder may stay missing for hours: say so once per distinct error.
    const Error& error = listing.error();
    std::string printed = error.printed();
    if (printed != lastError_) {
      lastError_ = std::move(printed);
      host_.logger.log(LogLevel::kError, messages::kCannotList, {error.description});
    }
    return;
  }
  std::vector<std::string> names = std::move(listing).value();
  std::erase_if(names, [](const std::string& name) { return !isBadgeStateFileName(name); });

  const bool dropped = dropRemovedFiles(names);
  bool loaded = false;
  // The state folder's path, with room for a file name: an idle tick costs
  // little more than its system calls.
  std::string path = dir.path() + '/';
  const std::size_t dirLength = path.size();
  for (const std::string& name : names) {
    path.resize(dirLength);
    path += name;
    if (loadIfChanged(name, path)) loaded = true;
  }
  if (dropped || loaded) announceObservedFolders();
  // The working memory of reading and decoding (see BadgeFileDecoder) is
  // kept while files keep changing, and released at the first tick that
  // loads none.
  if (!loaded) releaseWorkingMemory();
}

void FinderSync::releaseWorkingMemory() {
  decoder_.releaseMemory();
  readBuffer_ = FlatArray<char>();
}

bool FinderSync::dropRemovedFiles(const std::vector<std::string>& names) {
  // Names in a listing are distinct: when as many of them are held as there
  // are entries, every entry is listed, which is what nearly every tick finds.
  std::size_t listedAndHeld = 0;
  for (const std::string& name : names) listedAndHeld += folders_.count(name);
  if (listedAndHeld == folders_.size()) return false;
  const std::unordered_set<std::string_view> listed(names.begin(), names.end());
  bool dropped = false;
  for (auto it = folders_.begin(); it != folders_.end();) {
    if (listed.contains(it->first)) {
      ++it;
      continue;
    }
    const Folder gone = std::move(it->second);
    it = folders_.erase(it);
    indexRoots();  // before pushing: the host may ask for badges meanwhile
    FileUrl item;
    for (std::size_t i = 0; i < gone.statuses->size(); ++i) {
      item.assignAppending(gone.root, gone.statuses->keyAt(i));
      host_.controller.setBadgeIdentifier("", item);
    }
    dropped = true;
  }
  return dropped;
}

bool FinderSync::loadIfChanged(const std::string& name, const std::string& path) {
  // A file whose date cannot be read is skipped quietly; it is tried again at
  // the next tick.
  Result<FileTime> modified = host_.fileSystem.modificationTime(path);
  if (!modified) return false;
  auto held = folders_.find(name);
  if (held != folders_.end() && held->second.modified == modified.value()) return false;

  // The sync client may rewrite the file while we read it: a half-written file
  // fails to decode, the old state stays, and the next tick reads it again.
  // Read with the room the decoder needs to read the bytes in place.
  Result<void> read = host_.fileSystem.readFile(path, readBuffer_, BadgeFileDecoder::kPadding);
  Result<BadgeFile> decoded = !read ? Result<BadgeFile>(read.error())
                              : held == folders_.end()
                                  ? decoder_.decodeInPlace(readBuffer_)
                                  : decoder_.decodeInPlace(readBuffer_, *held->second.statuses);
  if (!decoded) {
    host_.logger.log(LogLevel::kError, messages::kUnreadableState,
                     {name, decoded.error().description});
    return false;
  }
  BadgeFile file = std::move(decoded).value();
  const long count = static_cast<long>(file.files.size());

  const FileUrl root = FileUrl::fromPath(file.root, true);
  std::string scratch;
  Folder next{root, std::make_shared<StatusTable>(std::move(file.files)), modified.value(),
              text::RootPath(root.standardizedPath(scratch))};
  // Only a file that still names the same root is diffed against what it said
  // before; under a new root every item is new.
  std::shared_ptr<StatusTable> heldStatuses;
  if (held != folders_.end()) heldStatuses = held->second.statuses;
  const bool sameRoot = held != folders_.end() && held->second.root == next.root;
  const StatusTable none;
  const StatusTable& previous = sameRoot ? *heldStatuses : none;

  // Store first, then push: the host may ask for badges while we push.
  const Folder& stored = folders_.insert_or_assign(name, std::move(next)).first->second;
  indexRoots();
  const Folder current = stored;
  FileUrl item;
  current.statuses->diff(previous, [&](std::string_view key, std::string_view status) {
    item.assignAppending(current.root, key);
    host_.controller.setBadgeIdentifier(status, item);
  });
  // Nothing holds the replaced table any more: rather than free it, hand its
  // memory to the next decode.
  if (heldStatuses && heldStatuses.use_count() == 1) {
    decoder_.recycle(std::move(*heldStatuses));
  }
  host_.logger.log(LogLevel::kDefault, messages::kStateLoaded, {count, file.root});
  return true;
}

void FinderSync::announceObservedFolders() {
  std::vector<FileUrl> roots;
  roots.reserve(folders_.size());
  for (const auto& [name, folder] : folders_) roots.push_back(folder.root);
  std::sort(roots.begin(), roots.end());
  roots.erase(std::unique(roots.begin(), roots.end()), roots.end());
  host_.controller.setDirectoryUrls(roots);
}

}  // namespace tessvik
