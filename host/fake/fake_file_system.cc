#include "host/fake/fake_file_system.h"

#include <cerrno>

namespace tessvik {

void FakeFileSystem::addFolder(const std::string& path) {
  nodes_.try_emplace(path, Node{true, "", FileTime{}});
}

void FakeFileSystem::writeFile(const std::string& path, std::string content, FileTime modified) {
  addFolder(path.substr(0, path.rfind('/')));
  nodes_[path] = Node{false, std::move(content), modified};
}

void FakeFileSystem::remove(const std::string& path) {
  std::erase_if(nodes_, [&](const auto& node) {
    return node.first == path || node.first.starts_with(path + "/");
  });
}

std::optional<Error> FakeFileSystem::failure(const char* operation, const std::string& path) const {
  auto fault = faults.find({operation, path});
  if (fault != faults.end()) return errorFromErrno(fault->second, operation, path);
  if (!nodes_.contains(path)) return errorFromErrno(ENOENT, operation, path);
  return std::nullopt;
}

Result<std::vector<std::string>> FakeFileSystem::listFolder(const std::string& path) {
  ++listings;
  if (std::optional<Error> error = failure("opendir", path)) return *error;
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
  if (std::optional<Error> error = failure("lstat", path)) return *error;
  return nodes_.at(path).modified;
}

Result<void> FakeFileSystem::readFile(const std::string& path, FlatArray<char>& bytes,
                                      std::size_t spare) {
  if (std::optional<Error> error = failure("open", path)) return *error;
  const std::string& content = nodes_.at(path).content;
  bytes.reserve(content.size() + spare);
  bytes.assign(content.data(), content.size());
  return {};
}

}  // namespace tessvik
