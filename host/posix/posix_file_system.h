// The real file system, through POSIX calls. Shared by every host.
#pragma once

#include <dirent.h>

#include "host/file_system.h"

namespace tessvik {

class PosixFileSystem final : public FileSystem {
 public:
  // readdir(3), or a stand-in that fails part-way through a listing.
  using ReadDir = struct dirent* (*)(DIR*);
  explicit PosixFileSystem(ReadDir readDir = &::readdir) : readDir_(readDir) {}

  // A listing that fails part-way is an Error whole: a partial list would
  // count the files it missed as removed.
  Result<std::vector<std::string>> listFolder(const std::string& path) override;
  Result<FileTime> modificationTime(const std::string& path) override;
  Result<void> readFile(const std::string& path, FlatArray<char>& bytes,
                        std::size_t spare) override;

 private:
  ReadDir readDir_;
};

}  // namespace tessvik
