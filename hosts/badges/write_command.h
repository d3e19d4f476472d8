// `tessvik-badges write`: the kit's writer for scripts and for clients in
// other languages.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/error.h"
#include "kit/writable_file_system.h"

namespace tessvik::badges {

struct WriteRequest {
  std::string stateDir;
  std::string name = "badges.json";
  std::optional<std::string> root;  // --racine; required for lines
};

// Writes the badge state file `name` in `stateDir` from `input`: either a
// JSON object, a badge state file whole ("root" and "files"; --racine, if
// given, replaces its root), or lines "STATUT CHEMIN" (the status, one space
// or tab, then the path relative to the root, which takes the rest of the
// line; an empty status when the line begins with the space). On success,
// the French line that reports it; on failure, the Error, and the old file
// stays whole.
Result<std::string> writeBadgeFile(kit::WritableFileSystem& files, const WriteRequest& request,
                                   std::string_view input);

}  // namespace tessvik::badges
