// The user database through getpwuid, and the process's home from $HOME.
#pragma once

#include "host/user_database.h"

namespace tessvik {

class PosixUserDatabase final : public UserDatabase {
 public:
  std::optional<std::string> realUserHomeDirectory() override;
  std::string processHomeDirectory() override;
};

}  // namespace tessvik
