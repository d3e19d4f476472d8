// `tessvik-badges check`: a badge state file as the extension reads it, and
// what in it decodes but can never show.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/file_system.h"

namespace tessvik::badges {

struct CheckReport {
  // The extension's log line for a file it cannot read or decode, with the
  // line and column where the parser could say; nothing when it decodes.
  std::optional<std::string> error;
  std::string root;                   // as written
  std::size_t count = 0;              // distinct items, as the extension counts them
  std::vector<std::string> warnings;  // French, one per problem
};

// Reads and decodes the file at `path` exactly as the extension does (its
// reader, its decoder, its name test). Never fails: a failure is the report's
// error.
CheckReport checkFile(FileSystem& files, const std::string& path);

}  // namespace tessvik::badges
