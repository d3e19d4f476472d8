// A badge state file: the sync client's account of one synced root folder.
//
// On disk: one JSON object in UTF-8 with "root", the absolute path of the
// root folder, and "files", an object mapping each item's path relative to
// the root to its status. Other members are ignored.
#pragma once

#include <string>
#include <string_view>

#include "state/status_table.h"

namespace tessvik {

struct BadgeFile {
  // "root", exactly as written.
  std::string root;
  // "files": relative path -> status, exactly as written.
  StatusTable files;
};

// Whether a state folder entry called `name` is a badge state file: it begins
// with "badges" and ends with ".json", case included. Nothing else is tested.
bool isBadgeStateFileName(std::string_view name);

}  // namespace tessvik
