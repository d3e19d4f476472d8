// An in-memory file system for tests: folders, files with settable dates,
// injected failures, and a count of listings so that tests can tell whether a
// tick ran.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/file_system.h"

namespace tessvik {

class FakeFileSystem : public FileSystem {
 public:
  // Creates the folder at `path`; only added folders can be listed.
  void addFolder(const std::string& path);
  // Writes `content` at `path` with the date `modified` (creating its folder).
  void writeFile(const std::string& path, std::string content, FileTime modified);
  // Removes `path` and everything below it.
  void remove(const std::string& path);

  Result<std::vector<std::string>> listFolder(const std::string& path) override;
  Result<FileTime> modificationTime(const std::string& path) override;
  Result<void> readFile(const std::string& path, FlatArray<char>& bytes,
                        std::size_t spare) override;

  int listings = 0;  // listFolder calls
  // (operation, path) -> the errno that the call fails with: "opendir" for
  // listFolder, "lstat" for modificationTime, "open" for readFile.
  std::map<std::pair<std::string, std::string>, int> faults;

 private:
  struct Node {
    bool folder;
    std::string content;
    FileTime modified;
  };
  // The error of `operation` on `path`: the injected one, or ENOENT for a
  // missing path.
  std::optional<Error> failure(const char* operation, const std::string& path) const;

  std::map<std::string, Node> nodes_;  // by full path
};

}  // namespace tessvik
