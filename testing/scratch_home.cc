#include "testing/scratch_home.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace tessvik::testing {

ScratchHome::ScratchHome() {
  home = (std::filesystem::temp_directory_path() / "tessvik-finder-test-XXXXXX").string();
  if (::mkdtemp(home.data()) == nullptr) ADD_FAILURE() << "mkdtemp: " << home;
  stateDir = home + "/Library/Application Support/tessvik";
  std::filesystem::create_directories(stateDir);
}

ScratchHome::~ScratchHome() {
  std::error_code ignored;
  std::filesystem::remove_all(home, ignored);
}

namespace {

bool date(const std::string& path, long seconds) {
  const timespec times[2] = {{seconds, 7}, {seconds, 7}};
  return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

}  // namespace

bool ScratchHome::writeState(const std::string& name, const std::string& bytes,
                             long seconds) const {
  const std::string staging = home + "/staging";
  std::ofstream(staging, std::ios::binary | std::ios::trunc) << bytes;
  return (seconds == 0 || date(staging, seconds)) &&
         ::rename(staging.c_str(), statePath(name).c_str()) == 0;
}

bool ScratchHome::dateState(const std::string& name, long seconds) const {
  return date(statePath(name), seconds);
}

}  // namespace tessvik::testing
