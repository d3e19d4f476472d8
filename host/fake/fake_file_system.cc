#include "host/fake/fake_file_system.h"

#include <cerrno>

namespace tessvik {
namespace {

std::string parentOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

void FakeFileSystem::addFolder(const std::string& path) {
  if (path.empty() || path == "/") return;
  addFolder(parentOf(path));
  nodes_.try_emplace(path, Node{Kind::kFolder, "", FileTime{}});
}

void FakeFileSystem::writeFile(const std::string& path, std::string content, FileTime modified) {
  addFolder(parentOf(path));
  nodes_[path] = Node{Kind::kFile, std::move(content), modified};
}

void FakeFileSystem::addSpecial(const std::string& path, FileTime modified) {
  addFolder(parentOf(path));
  nodes_[path] = Node{Kind::kSpecial, "", modified};
}

void FakeFileSystem::remove(const std::string& path) {
  nodes_.erase(path);
  const std::string prefix = path + "/";
  for (auto it = nodes_.lower_bound(prefix); it != nodes_.end() && it->first.starts_with(prefix);) {
    it = nodes_.erase(it);
  }
}

void FakeFileSystem::setModified(const std::string& path, FileTime modified) {
  nodes_.at(path).modified = modified;
}

Result<std::vector<std::string>> FakeFileSystem::listFolder(const std::string& path) {
  ++calls.listFolder;
  auto it = nodes_.find(path);
  if (it == nodes_.end()) return errorFromErrno(ENOENT, "opendir", path);
  if (it->second.kind != Kind::kFolder) return errorFromErrno(ENOTDIR, "opendir", path);
  std::vector<std::string> names;
  const std::string prefix = path + "/";
  for (auto child = nodes_.upper_bound(prefix); child != nodes_.end(); ++child) {
    if (!child->first.starts_with(prefix)) break;
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
  if (it->second.kind == Kind::kFolder) return errorFromErrno(EISDIR, "read", path);
  if (it->second.kind == Kind::kSpecial) return errorFromErrno(kNotRegularFile, "read", path);
  const std::string& content = it->second.content;
  bytes.reserve(content.size() + spare);
  bytes.assign(content.data(), content.size());
  return {};
}

Result<std::vector<std::string>> FaultyFileSystem::listFolder(const std::string& path) {
  if (auto it = listing_.find(path); it != listing_.end()) {
    return errorFromErrno(it->second, "opendir", path);
  }
  return inner_.listFolder(path);
}

Result<FileTime> FaultyFileSystem::modificationTime(const std::string& path) {
  if (auto it = dates_.find(path); it != dates_.end()) {
    return errorFromErrno(it->second, "lstat", path);
  }
  return inner_.modificationTime(path);
}

Result<void> FaultyFileSystem::readFile(const std::string& path, FlatArray<char>& bytes,
                                        std::size_t spare) {
  if (auto it = reads_.find(path); it != reads_.end()) {
    return errorFromErrno(it->second, "open", path);
  }
  return inner_.readFile(path, bytes, spare);
}

}  // namespace tessvik
