// The file system as a writer of badge state files needs it: create a file
// beside the one it replaces, write and flush it, date it, rename it over,
// flush the folder; lock out the other writers of the same file while it
// dates and renames; tell the time that dates files and wait for it. The
// extension itself never writes; only the sync client's kit does.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/error.h"
#include "base/file_time.h"

namespace tessvik::kit {

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
  // Everything written to the file so far, read back from it (before
  // close()). A writer that keeps only a hash of what it wrote reads it back
  // in the rare case where two hashes are equal.
  virtual Result<std::string> readBack() = 0;
};

// An exclusive lock, held until it is destroyed.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

// Thread-safety: any thread may call any member at any time; the file system
// itself serialises. A WritableFile belongs to one thread.
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
  // Takes the exclusive lock of the file at `path` (created empty when
  // missing, and left there), waiting while another holder, thread or
  // process, has it. On the real file system it is flock(2)'s lock, which
  // any other program can take on the same file.
  virtual Result<std::unique_ptr<FileLock>> lock(const std::string& path) = 0;
  // The clock that new and written files are dated by.
  virtual FileTime now() = 0;
  // Returns once now() has reached `time`.
  virtual void sleepUntil(FileTime time) = 0;
};

}  // namespace tessvik::kit
