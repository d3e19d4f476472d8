// The file system as the extension needs it: list one folder, query one
// item's modification date, read one whole file. Nothing here writes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/file_time.h"
#include "base/flat_array.h"

namespace tessvik {

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

  // The whole content of the regular file at `path` (links followed), read
  // into `bytes`, whose memory is reused: a large file read again every
  // second then needs no fresh memory. On success, `bytes` holds the content
  // and its capacity leaves at least `spare` bytes past the end (a parser
  // that reads in place may need such room). On failure, the Error, and
  // `bytes` holds nothing useful. Never blocks and never reads endlessly: a
  // folder, FIFO, socket or device is an Error, as is a file larger than
  // kMaxFileSize, and memory that cannot be had.
  virtual Result<void> readFile(const std::string& path, FlatArray<char>& bytes,
                                std::size_t spare) = 0;

  // Badge state files are small; this bound only stops a runaway one.
  static constexpr std::uint64_t kMaxFileSize = std::uint64_t{1} << 32;
};

}  // namespace tessvik
