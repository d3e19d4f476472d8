// A user database whose real user lives in a home folder of our choosing:
// the simulated Finder's --home option, so that a session (or a test) can
// point the extension at a state folder of its own.
#pragma once

#include <string>

#include "host/user_database.h"

namespace tessvik::sim {

// Reports `home` as the real user's home directory, and leaves the process's
// own home to `users`, which must outlive this object. Thread-safe as far as
// `users` is.
class HomeOverride final : public UserDatabase {
 public:
  HomeOverride(UserDatabase& users, std::string home) : users_(users), home_(std::move(home)) {}
  std::optional<std::string> realUserHomeDirectory() override { return home_; }
  std::string processHomeDirectory() override { return users_.processHomeDirectory(); }

 private:
  UserDatabase& users_;
  std::string home_;
};

}  // namespace tessvik::sim
