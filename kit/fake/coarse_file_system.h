// An in-memory file system for writers, for tests: its dates are coarse, its
// clock stands still, and one operation can be made to fail.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "kit/writable_file_system.h"

namespace tessvik::kit {

// Keeps every date rounded down to a multiple of `granularity` nanoseconds,
// as a file system that keeps whole seconds (1e9) or FAT (2e9) does. Its
// clock moves only when a test moves it or a writer sleeps, so every rewrite
// falls within the granularity. Folders are implicit: any path can hold a
// file. Thread-safe as the real one is; the public members are for a test
// to read and set while no writer runs.
class CoarseFileSystem : public WritableFileSystem {
 public:
  explicit CoarseFileSystem(std::int64_t granularity) : granularity_(granularity) {}

  struct Entry {
    std::string content;
    FileTime modified;
  };
  std::map<std::string, Entry> entries;  // by path
  FileTime clock{1'700'000'001, 123'456'789};
  // Every rename, in order: the file renamed over, as it then was.
  std::vector<std::pair<std::string, Entry>> renamed;
  // The operation that fails with EIO: "write", "sync", "close",
  // "setModificationTime" (of a file), "rename"; "" for none.
  std::string failing;

  FileTime kept(FileTime t) const;
  // Fails with EIO when `operation` is the failing one.
  Result<void> fault(const char* operation, const std::string& path) const;

  Result<std::unique_ptr<WritableFile>> createNew(const std::string& path) override;
  Result<std::optional<FileTime>> modificationTime(const std::string& path) override;
  Result<void> rename(const std::string& from, const std::string& to) override;
  Result<void> remove(const std::string& path) override;
  Result<void> syncFolder(const std::string& path) override;
  // A lock held in memory: no file is created for it.
  Result<std::unique_ptr<FileLock>> lock(const std::string& path) override;
  FileTime now() override;
  // Moves the clock to `time`, at once.
  void sleepUntil(FileTime time) override;

 private:
  friend class CoarseFile;
  std::int64_t granularity_;
  std::mutex mutex_;                         // guards all of the above
  std::map<std::string, std::mutex> locks_;  // by path
};

}  // namespace tessvik::kit
