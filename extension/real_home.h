// The real user's home directory: the state folder lives under it, not under
// the sandbox container that the process sees as its home.
#pragma once

#include <mutex>
#include <string>

#include "host/user_database.h"

namespace tessvik {

// Works the path out once, on first use, from the user database record of the
// real user, falling back to the process's home directory when there is no
// record or no home in it. Ill-formed UTF-8 bytes become U+FFFD. Nothing is
// logged either way, and the value never changes afterwards.
//
// One per process, made by the composition root. Thread-safe: the first use
// may come from any thread.
class RealHome {
 public:
  explicit RealHome(UserDatabase& users) : users_(users) {}
  const std::string& path();

 private:
  UserDatabase& users_;
  std::once_flag once_;
  std::string path_;
};

}  // namespace tessvik
