#include "host/posix/posix_user_database.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace tessvik {

std::optional<std::string> PosixUserDatabase::realUserHomeDirectory() {
  // getpwuid_r: the reentrant form, so a first use from any thread is safe.
  long hint = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(hint > 0 ? static_cast<std::size_t>(hint) : 16384);
  struct passwd record;
  struct passwd* found = nullptr;
  while (::getpwuid_r(::getuid(), &record, buffer.data(), buffer.size(), &found) == ERANGE) {
    buffer.resize(buffer.size() * 2);
  }
  if (found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] == '\0') return std::nullopt;
  return std::string(found->pw_dir);
}

std::string PosixUserDatabase::processHomeDirectory() {
  const char* home = std::getenv("HOME");
  return home != nullptr ? std::string(home) : std::string("/");
}

}  // namespace tessvik
