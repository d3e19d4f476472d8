#include "hosts/file_manager/folder_links.h"

#include <cstdlib>

namespace tessvik {

std::string_view FolderLinks::resolve(std::string_view path, std::string& scratch) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos || slash == 0) return path;
  const std::string_view folder = path.substr(0, slash);
  auto it = folders_.find(folder);
  if (it == folders_.end()) {
    if (folders_.size() >= kMaxFolders) folders_.clear();
    std::optional<std::string> real = realPath_(std::string(folder));
    if (real && *real == folder) real.reset();
    it = folders_.emplace(std::string(folder), std::move(real)).first;
  }
  if (!it->second) return path;
  scratch = *it->second;
  scratch += path.substr(slash);
  return scratch;
}

std::optional<std::string> FolderLinks::posixRealPath(const std::string& folder) {
  char* real = ::realpath(folder.c_str(), nullptr);
  if (real == nullptr) return std::nullopt;
  std::string out(real);
  std::free(real);
  return out;
}

}  // namespace tessvik
