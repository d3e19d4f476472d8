// The user database and the process's home on macOS. Objective-C++ only.
#pragma once

#include "host/posix/posix_user_database.h"
#include "host/user_database.h"

namespace tessvik::macos {

// The real user's record comes from the POSIX user database (getpwuid); the
// process's own home is NSHomeDirectory(), which inside the sandbox is the
// extension's container. Thread-safety: any thread.
class MacUserDatabase final : public UserDatabase {
 public:
  std::optional<std::string> realUserHomeDirectory() override;
  std::string processHomeDirectory() override;

 private:
  PosixUserDatabase posix_;
};

}  // namespace tessvik::macos
