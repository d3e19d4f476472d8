// The user database and the process's own home directory.
#pragma once

#include <optional>
#include <string>

namespace tessvik {

class UserDatabase {
 public:
  virtual ~UserDatabase() = default;
  // The home directory field of the real user's record (getpwuid(getuid())),
  // raw bytes, or nothing when there is no record or no home in it.
  virtual std::optional<std::string> realUserHomeDirectory() = 0;
  // The process's own home directory (inside a sandbox, its container).
  virtual std::string processHomeDirectory() = 0;
};

}  // namespace tessvik
