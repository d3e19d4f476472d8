// The real file system for writers, through POSIX calls.
#pragma once

#include "kit/writable_file_system.h"

namespace tessvik::kit {

class PosixWritableFileSystem final : public WritableFileSystem {
 public:
  Result<std::unique_ptr<WritableFile>> createNew(const std::string& path) override;
  Result<std::optional<FileTime>> modificationTime(const std::string& path) override;
  Result<void> rename(const std::string& from, const std::string& to) override;
  Result<void> remove(const std::string& path) override;
  Result<void> syncFolder(const std::string& path) override;
  Result<std::unique_ptr<FileLock>> lock(const std::string& path) override;
  // CLOCK_REALTIME, which file dates follow.
  FileTime now() override;
  void sleepUntil(FileTime time) override;
};

}  // namespace tessvik::kit
