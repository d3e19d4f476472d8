// Items reached through a symbolic link: ~/SyncLink -> ~/Sync makes
// ~/SyncLink/a the item ~/Sync/a, which the badge state files name. Only
// folders are resolved (an item's parent folder), once each: a folder the
// file manager shows holds many items.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tessvik {

// Memory: one entry per folder resolved, at most kMaxFolders; past that the
// cache starts again empty. Main loop only.
class FolderLinks {
 public:
  // The folder at `folder` (absolute) with every link resolved, or nothing
  // when it cannot be resolved (it is gone, say).
  using RealPath = std::function<std::optional<std::string>(const std::string& folder)>;
  static constexpr std::size_t kMaxFolders = 4096;

  explicit FolderLinks(RealPath realPath) : realPath_(std::move(realPath)) {}

  // `path` (absolute) with its parent folder resolved: `path` itself when
  // the folder resolves to itself or not at all, otherwise built in
  // `scratch`. A folder is resolved on its first use only.
  std::string_view resolve(std::string_view path, std::string& scratch);

  // Forgets every folder: a link may have been retargeted.
  void forget() { folders_.clear(); }

  // realpath(3).
  static std::optional<std::string> posixRealPath(const std::string& folder);

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const noexcept {
      return std::hash<std::string_view>{}(key);
    }
  };
  RealPath realPath_;
  // Folder -> the folder it names, when that differs.
  std::unordered_map<std::string, std::optional<std::string>, Hash, std::equal_to<>> folders_;
};

}  // namespace tessvik
