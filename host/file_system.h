// The file system as the extension needs it: list one folder, query one
// item's modification date, read one whole file. Nothing here writes.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/flat_array.h"

namespace tessvik {

// A modification date at full precision. Dates are compared exactly: two
// dates one nanosecond apart are different dates.
struct FileTime {
  std::int64_t seconds = 0;
  std::int64_t nanoseconds = 0;
  friend auto operator<=>(const FileTime&, const FileTime&) = default;
};

// Thread-safety: implementations are called from the main loop only.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The names of the entries of the folder at `path`, one level, without
  // "." and "..", in the order the file system lists them. On failure, an
  // Error naming the folder.
  virtual Result<std::vector<std::string>> listFolder(const std::string& path) = 0;

  // The modification date of the item at `path` itself: a symbolic link is
  // not followed. On failure (missing item, no permission), an Error.
  virtual Result<FileTime> modificationTime(const std::string& path) = 0;

  // The whole content of the regular file at `path` (links followed).
  // Never blocks and never reads endlessly: a folder, FIFO, socket or device
  // is an Error, as is a file larger than kMaxFileSize.
  virtual Result<std::string> readFile(const std::string& path) = 0;

  // The same, into `bytes`, reusing its memory: a large file read again every
  // second then needs no fresh memory. On success, `bytes` holds the content
  // and its capacity leaves at least kReadSpare bytes past the end (a JSON
  // parser reads in place only with such room). On failure, the Error, and
  // `bytes` holds nothing useful. Memory that cannot be had is an Error too.
  virtual std::optional<Error> readFileInto(const std::string& path, FlatArray<char>& bytes);

  // Room left past the end of what readFileInto() reads.
  static constexpr std::size_t kReadSpare = 64;

  // Badge state files are small; this bound only stops a runaway one.
  static constexpr std::uint64_t kMaxFileSize = std::uint64_t{1} << 32;
};

}  // namespace tessvik
