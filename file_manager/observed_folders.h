// The folders the extension observes (its roots), as the file manager asks
// about them: is an item inside one, and which items a change of the set
// touches.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/file_url.h"

namespace tessvik {

// Folders are kept standardised and in NFC, and compared under canonical
// equivalence, whole characters. Memory: the folders (a handful).
// Thread-safety: main loop only. Nothing here throws but std::bad_alloc.
class ObservedFolders {
 public:
  // Replaces the set with `urls`; returns the folders that left or joined it
  // (none when the set is the same).
  std::vector<std::string> replace(const std::vector<FileUrl>& urls);
  // Whether `path` (absolute, any spelling) is an observed folder or lies
  // below one.
  bool contains(std::string_view path) const;

 private:
  // Sorted, without repeats.
  std::vector<std::string> folders_;
};

}  // namespace tessvik
