// An in-memory file system for tests: folders, files with settable dates,
// and a count of every call so tests can check what a tick costs.
#pragma once

#include <map>
#include <optional>
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
  // An entry that is listed and dated but cannot be read, like a FIFO.
  void addSpecial(const std::string& path, FileTime modified);
  void remove(const std::string& path);
  void setModified(const std::string& path, FileTime modified);

  Result<std::vector<std::string>> listFolder(const std::string& path) override;
  Result<FileTime> modificationTime(const std::string& path) override;
  Result<void> readFile(const std::string& path, FlatArray<char>& bytes,
                        std::size_t spare) override;

  Calls calls;

 private:
  enum class Kind { kFolder, kFile, kSpecial };
  struct Node {
    Kind kind;
    std::string content;
    FileTime modified;
  };
  std::map<std::string, Node> nodes_;  // by full path
};

// Fault injection around any file system: calls on a path listed here fail
// with the given errno; everything else goes through.
class FaultyFileSystem : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& inner) : inner_(inner) {}
  void failListing(const std::string& path, int err) { listing_[path] = err; }
  void failDate(const std::string& path, int err) { dates_[path] = err; }
  void failRead(const std::string& path, int err) { reads_[path] = err; }
  void clear() { listing_.clear(), dates_.clear(), reads_.clear(); }

  Result<std::vector<std::string>> listFolder(const std::string& path) override;
  Result<FileTime> modificationTime(const std::string& path) override;
  Result<void> readFile(const std::string& path, FlatArray<char>& bytes,
                        std::size_t spare) override;

 private:
  FileSystem& inner_;
  std::map<std::string, int> listing_, dates_, reads_;
};

}  // namespace tessvik
