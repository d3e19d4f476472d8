// `tessvik-badges explain`: the badge the extension would give an item, and
// why, from the badge state files in a state folder.
#pragma once

#include <string>
#include <vector>

#include "host/file_system.h"

namespace tessvik::badges {

// Reads `stateDir` as the extension's first reload does, then answers for
// the item at the absolute path `item` as a badge request would: French
// lines saying which file, root, key and status are used and what the
// Finder shows, or why nothing shows. The extension's error log lines of
// that reload (a folder it cannot list, a file it cannot read) come first.
struct Explanation {
  std::vector<std::string> lines;
  bool shows = false;  // whether the Finder shows a badge on the item
};
Explanation explainItem(FileSystem& files, const std::string& stateDir, const std::string& item);

}  // namespace tessvik::badges
