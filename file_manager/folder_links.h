// Items reached through a symbolic link: ~/SyncLink -> ~/Sync makes
// ~/SyncLink/a the item ~/Sync/a, which the badge state files name. Only
// folders are resolved (an item's parent folder), once each: a folder the
// file manager shows holds many items.
//
// Resolving a folder may block for as long as the file system wants (a
// network mount whose server stopped answering), so it never happens on the
// main loop: a folder seen for the first time is answered as no link, and
// resolved on a worker thread; takeLinked() brings the answers back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tessvik {

// Memory: one entry per folder seen, at most kMaxFolders; past that the
// cache starts again empty. Plus the folders asked and not yet answered.
//
// Thread-safety: main loop only; the worker shares nothing with it but a
// queue under its own lock. Destroying a FolderLinks never waits for the
// worker: a worker stuck in RealPath keeps the queue (and RealPath) alive
// on its own, and ends once it returns. Nothing here throws but
// std::bad_alloc (when no thread can be started, folders stay unresolved).
class FolderLinks {
 public:
  // The folder at `folder` (absolute) with every link resolved, or nothing
  // when it cannot be resolved (it is gone, say). Called on the worker
  // thread, or on the caller's with kAtOnce.
  using RealPath = std::function<std::optional<std::string>(const std::string& folder)>;
  // Where RealPath runs: on a worker thread, or at once on the caller's
  // thread (for tests and benchmarks; its answer still waits for
  // takeLinked, as the worker's would).
  enum class Resolution { kOnWorker, kAtOnce };
  static constexpr std::size_t kMaxFolders = 4096;

  explicit FolderLinks(RealPath realPath, Resolution resolution = Resolution::kOnWorker);
  ~FolderLinks();
  FolderLinks(const FolderLinks&) = delete;
  FolderLinks& operator=(const FolderLinks&) = delete;

  // `path` (absolute) with its parent folder resolved: `path` itself when
  // the folder resolves to itself or not at all, or is not resolved yet (it
  // is then asked once), otherwise built in `scratch`.
  std::string_view resolve(std::string_view path, std::string& scratch);

  // The folder `folder` (absolute) names, when it is known to be a link to
  // another (or to lie in one); nothing when it is not, or is not resolved
  // yet (it is then asked once, as by resolve()).
  std::optional<std::string_view> realFolder(std::string_view folder);

  // Takes the answers the worker has given since the last call into the
  // cache, and returns the folders that turned out to be links to another
  // folder: what resolve() said of their items has changed. Cheap when
  // nothing is being resolved.
  std::vector<std::string> takeLinked();

  // Forgets every folder: a link may have been retargeted. An answer to a
  // folder asked before is dropped when it comes (it may be stale) and the
  // folder asked again.
  void forget() {
    folders_.clear();
    ++generation_;
  }

  // realpath(3).
  static std::optional<std::string> posixRealPath(const std::string& folder);

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const noexcept {
      return std::hash<std::string_view>{}(key);
    }
  };
  // A folder asked, and what it resolved to, under the generation of the
  // cache it was asked for.
  struct Answer {
    std::string folder;
    std::uint64_t generation = 0;
    std::optional<std::string> real;
  };
  struct Queue;
  static void work(std::shared_ptr<Queue> queue);

  std::shared_ptr<Queue> queue_;
  Resolution resolution_;
  bool workerStarted_ = false;
  // Caches `folder` as no link, and has it resolved.
  void ask(std::string folder);

  // Folders asked whose answer was not taken yet.
  std::size_t asked_ = 0;
  std::uint64_t generation_ = 0;
  // Folder -> the folder it names, when that differs; nothing while it is
  // being resolved.
  std::unordered_map<std::string, std::optional<std::string>, Hash, std::equal_to<>> folders_;
};

}  // namespace tessvik
