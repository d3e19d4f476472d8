// A file's modification date, as the extension reads it and the sync
// client's kit writes it.
#pragma once

#include <compare>
#include <cstdint>

namespace tessvik {

// A modification date at full precision. Dates are compared exactly: two
// dates one nanosecond apart are different dates.
struct FileTime {
  std::int64_t seconds = 0;
  std::int64_t nanoseconds = 0;
  friend auto operator<=>(const FileTime&, const FileTime&) = default;
};

}  // namespace tessvik
