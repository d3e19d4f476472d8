// The real file system, through POSIX calls. Shared by every host.
#pragma once

#include "host/file_system.h"

namespace tessvik {

class PosixFileSystem final : public FileSystem {
 public:
  Result<std::vector<std::string>> listFolder(const std::string& path) override;
  Result<FileTime> modificationTime(const std::string& path) override;
  Result<std::string> readFile(const std::string& path) override;
  std::optional<Error> readFileInto(const std::string& path, FlatArray<char>& bytes) override;
};

}  // namespace tessvik
