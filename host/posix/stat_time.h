// A file's modification date from stat(2), whose field names differ by system.
#pragma once

#include <sys/stat.h>

#include "host/file_system.h"

namespace tessvik {

inline FileTime modificationOf(const struct stat& st) {
#if defined(__APPLE__)
  return FileTime{st.st_mtimespec.tv_sec, st.st_mtimespec.tv_nsec};
#else
  return FileTime{st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
#endif
}

}  // namespace tessvik
