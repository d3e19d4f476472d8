// An in-memory file system for tests: folders, files with settable dates, a
// count of every call so that tests can check what a tick costs, and fault
// injection around any file system.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "host/file_system.h"

namespace tessvik {

class FakeFileSystem : public FileSystem {
 public:
  struct Calls {
    int listFolder = 0;
    int modificationTime = 0;
    int readFile = 0;
  };

  // Creates the folder at `path` and every folder above it.
  void addFolder(const std::string& path);
  // Writes `content` at `path` with the date `modified` (creating folders).
  void writeFile(const std::string& path, std::string content, FileTime modified);
  // Removes `path` and everything below it.
  void remove(const std::string& path);

  Result<std::vector<std::string>> listFolder(const std::string& path) override;
  Result<FileTime> modificationTime(const std::string& path) override;
  Result<void> readFile(const std::string& path, FlatArray<char>& bytes,
                        std::size_t spare) override;

  Calls calls;

 private:
  struct Node {
    bool folder;
    std::string content;
    FileTime modified;
  };
  std::map<std::string, Node> nodes_;  // by full path
};

// Calls on a path named here fail with the given errno; everything else
// goes through to `inner`.
class FaultyFileSystem : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& inner) : inner_(inner) {}
  void failListing(const std::string& path, int err) { faults_[{"opendir", path}] = err; }
  void failDate(const std::string& path, int err) { faults_[{"lstat", path}] = err; }
  void failRead(const std::string& path, int err) { faults_[{"open", path}] = err; }
  void clear() { faults_.clear(); }

  Result<std::vector<std::string>> listFolder(const std::string& path) override;
  Result<FileTime> modificationTime(const std::string& path) override;
  Result<void> readFile(const std::string& path, FlatArray<char>& bytes,
                        std::size_t spare) override;

 private:
  // The injected error of `operation` on `path`, if any.
  const int* fault(const char* operation, const std::string& path) const;

  FileSystem& inner_;
  std::map<std::pair<std::string, std::string>, int> faults_;  // (operation, path) -> errno
};

}  // namespace tessvik
