// The file system as a writer of badge state files needs it: create a file
// beside the one it replaces, write and flush it, date it, rename it over,
// flush the folder. The extension itself never writes; only the sync
// client's kit does.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/error.h"
#include "host/file_system.h"

namespace tessvik {

// One file open for writing. Closed when destroyed, without flushing to disk:
// only sync() promises that the bytes survive a power cut.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // Appends all of `bytes` (a short write is retried, not reported).
  virtual Result<void> write(std::string_view bytes) = 0;
  // Flushes content and dates to disk (fsync).
  virtual Result<void> sync() = 0;
  // The file's modification date, as the file system keeps it.
  virtual Result<FileTime> modificationTime() = 0;
  // Sets the modification date; the file system may keep it coarser.
  virtual Result<void> setModificationTime(FileTime time) = 0;
  // Closes the file, reporting what a close reports (a deferred write error).
  virtual Result<void> close() = 0;
};

// Thread-safety: one writer per thread; the file system itself serialises.
class WritableFileSystem {
 public:
  virtual ~WritableFileSystem() = default;
  // Creates the file at `path`, which must not exist yet (EEXIST otherwise).
  virtual Result<std::unique_ptr<WritableFile>> createNew(const std::string& path) = 0;
  // The modification date of the item at `path` (a link itself), or nothing
  // when there is no such item.
  virtual Result<std::optional<FileTime>> modificationTime(const std::string& path) = 0;
  // Renames `from` to `to`, replacing `to` at once: a reader sees the old
  // file or the new one, never neither.
  virtual Result<void> rename(const std::string& from, const std::string& to) = 0;
  virtual Result<void> remove(const std::string& path) = 0;
  // Flushes the folder at `path` to disk, so that a rename in it survives a
  // power cut.
  virtual Result<void> syncFolder(const std::string& path) = 0;
};

}  // namespace tessvik
