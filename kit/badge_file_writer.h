// Writing badge state files, for the sync client.
//
// The extension polls its state folder once a second and reads a badge
// state file again only when the file's modification date has moved. A
// writer must therefore (1) never let it see half a file, and (2) never
// leave two versions of a file with the same date. BadgeFileWriter does
// both:
//
//   - the content goes to a temporary file beside the target, under a name
//     that the extension ignores (".badges.json.<pid>-<n>.tmp"); it is
//     flushed to disk (fsync), renamed over the target, and the folder is
//     flushed. A reader sees the old file or the new one, never a mix; a
//     writer that fails or dies before the rename leaves the old file whole
//     (and at worst a temporary file that nothing reads);
//   - the new file's date is later than the old file's. Where the file
//     system would give it the same date or an earlier one (a rewrite within
//     its date granularity: jiffies on ext4, one second on some file
//     systems, two on FAT), the date is set to the old one plus the smallest
//     step that the file system keeps, found from the dates it returns and
//     read back to be sure. Dates then never repeat, even across rewrites
//     that the extension missed;
//   - any number of writers of one file, threads or processes, take turns:
//     each holds an exclusive lock (flock(2) on ".badges.json.lock" beside
//     the file, a name the extension ignores) from reading the old file's
//     date to the rename, so that the file renamed last is always dated
//     last. Another program that writes the same file takes the same lock;
//   - the date is never more than one step of the file system's date
//     granularity ahead of the clock: a writer faster than the dates can
//     show waits (see commit()).
//
// Example:
//
//   using namespace tessvik;
//   Result<kit::BadgeFileWriter> writer = kit::BadgeFileWriter::begin(
//       "/Users/u/Library/Application Support/tessvik", "badges.json", "/Users/u/Sync");
//   if (!writer) return report(writer.error().description);
//   for (const Item& item : items) {
//     if (Result<void> added = writer.value().add(item.path, item.status); !added) ...
//   }
//   Result<FileTime> written = writer.value().commit();
//
// Errors are tessvik::Error values (base/error.h) whose `description` is a
// French text fit to show a user; a system error names the state file and
// the cause (« …/badges.json » : plus d'espace disponible), never the
// temporary file. Nothing throws but std::bad_alloc.
// Link Tessvik::kit (find_package(TessvikKit)).
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/error.h"
#include "base/file_time.h"
#include "kit/badge_file_rules.h"
#include "kit/writable_file_system.h"

namespace tessvik::kit {

// Whether the extension reads a state folder entry called `name`: it begins
// with "badges" and ends with ".json", case included (as in state/).
bool isBadgeStateFileName(std::string_view name);

// One badge state file being written. Move-only. Destroying it before
// commit() abandons the write: the temporary file is removed and the old
// file stays. Not thread-safe: one thread per writer.
class BadgeFileWriter {
 public:
  // Starts the file `name` in `stateFolder` (which must exist) for the synced
  // folder `root`, on the real file system. Fails if `name` does not pass
  // the extension's name test, if `root` is not UTF-8, not absolute or holds
  // a NUL, or if the temporary file cannot be created.
  static Result<BadgeFileWriter> begin(std::string stateFolder, std::string name,
                                       std::string_view root);
  // The same on `files`, which must outlive the writer.
  static Result<BadgeFileWriter> begin(WritableFileSystem& files, std::string stateFolder,
                                       std::string name, std::string_view root);

  BadgeFileWriter(BadgeFileWriter&&) noexcept;
  BadgeFileWriter& operator=(BadgeFileWriter&&) noexcept;
  ~BadgeFileWriter();

  // Adds the item at `relativePath` under the root with `status` ("synced",
  // "syncing", "conflict", "error", or "" for no badge). Both are escaped as
  // JSON needs. Fails, adding nothing, when either is not valid UTF-8, or
  // when the item could never show: its path has a "/" at either end, an
  // empty, "." or ".." component, or a NUL; its status is another text.
  // Fails when the write to disk fails, after which only the destructor is
  // of use. Items are written in the order given. Keeps a hash of every
  // path (8 bytes), for commit() to find an item added twice.
  Result<void> add(std::string_view relativePath, std::string_view status);

  // The number of items added.
  std::size_t count() const { return count_; }

  // Fails, writing nothing, when an item was added twice, as such or in
  // another Unicode form (é precomposed or not): the extension would keep
  // only its last status. Otherwise finishes the file and flushes it; then,
  // holding the file's lock (waiting
  // for another writer of the same file to let it go), dates it after the
  // old one, renames it over the target; then flushes the folder. Returns
  // the new file's date. On failure the old file is as it was and the
  // temporary file is removed. Call once.
  //
  // May wait: when the old file is dated ahead of the clock (the previous
  // rewrite was given a date past it), commit() sleeps until the clock
  // reaches that date, so that the new date, one step past it, is at most
  // one step ahead of the clock. A step is the file system's date
  // granularity: nothing on ext4, tmpfs or APFS unless several writes fall
  // within a few milliseconds, up to a second on one-second file systems,
  // two on FAT; never more than two seconds. An old file dated further
  // ahead than that was dated by something else, and is not waited for.
  Result<FileTime> commit();

 private:
  struct Open;
  explicit BadgeFileWriter(std::unique_ptr<Open> open);
  Result<void> flush();
  // commit() but for the errors' names.
  Result<FileTime> finish();
  // An error once the writer is committed, abandoned, failed or moved from.
  Result<void> stillOpen() const;

  std::unique_ptr<Open> open_;
  std::size_t count_ = 0;
};

}  // namespace tessvik::kit
