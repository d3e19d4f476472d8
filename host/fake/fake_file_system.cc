#include "host/fake/fake_file_system.h"

#include <cerrno>

namespace tessvik {
namespace {

std::string parentOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

void FakeFileSystem::addFolder(const std::string& path) {
  if (path.empty() || path == "/") return;
  addFolder(parentOf(path));
  nodes_.try_emplace(path, Node{true, "", FileTime{}});
}

void FakeFileSystem::writeFile(const std::string& path, std::string content, FileTime modified) {
  addFolder(parentOf(path));
  nodes_[path] = Node{false, std::move(content), modified};
}

void FakeFileSystem::remove(const std::string& path) {
  const std::string prefix = path + "/";
  nodes_.erase(path);
  for (auto it = nodes_.lower_bound(prefix); it != nodes_.end() && it->first.starts_with(prefix);) {
    it = nodes_.erase(it);
  }
}

Result<std::vector<std::string>> FakeFileSystem::listFolder(const std::string& path) {
  ++calls.listFolder;
  auto it = nodes_.find(path);
  if (it == nodes_.end()) return errorFromErrno(ENOENT, "opendir", path);
  if (!it->second.folder) return errorFromErrno(ENOTDIR, "opendir", path);
  std::vector<std::string> names;
  const std::string prefix = path + "/";
  for (auto child = nodes_.upper_bound(prefix);
       child != nodes_.end() && child->first.starts_with(prefix); ++child) {
    const std::string name = child->first.substr(prefix.size());
    if (name.find('/') == std::string::npos) names.push_back(name);
  }
  return names;
}

Result<FileTime> FakeFileSystem::modificationTime(const std::string& path) {
  ++calls.modificationTime;
  auto it = nodes_.find(path);
  if (it == nodes_.end()) return errorFromErrno(ENOENT, "lstat", path);
  return it->second.modified;
}

Result<void> FakeFileSystem::readFile(const std::string& path, FlatArray<char>& bytes,
                                      std::size_t spare) {
  ++calls.readFile;
  auto it = nodes_.find(path);
  if (it == nodes_.end()) return errorFromErrno(ENOENT, "open", path);
  if (it->second.folder) return errorFromErrno(EISDIR, "read", path);
  const std::string& content = it->second.content;
  bytes.reserve(content.size() + spare);
  bytes.assign(content.data(), content.size());
  return {};
}

const int* FaultyFileSystem::fault(const char* operation, const std::string& path) const {
  auto it = faults_.find({operation, path});
  return it == faults_.end() ? nullptr : &it->second;
}

Result<std::vector<std::string>> FaultyFileSystem::listFolder(const std::string& path) {
  if (const int* err = fault("opendir", path)) return errorFromErrno(*err, "opendir", path);
  return inner_.listFolder(path);
}

Result<FileTime> FaultyFileSystem::modificationTime(const std::string& path) {
  if (const int* err = fault("lstat", path)) return errorFromErrno(*err, "lstat", path);
  return inner_.modificationTime(path);
}

Result<void> FaultyFileSystem::readFile(const std::string& path, FlatArray<char>& bytes,
                                        std::size_t spare) {
  if (const int* err = fault("open", path)) return errorFromErrno(*err, "open", path);
  return inner_.readFile(path, bytes, spare);
}

}  // namespace tessvik
