#include "extension/state_folder.h"

#include <gtest/gtest.h>

namespace tessvik {
namespace {

// The Finder's folder is the one every extension test reads.
TEST(StateFolderTest, LinuxKeepsItsFolderWhereXdgSaysIfThatIsAbsolute) {
  EXPECT_EQ(xdgStateFolder("/home/u", "/var/u/"), FileUrl::fromPath("/var/u/tessvik", true));
  for (const char* ignored : {static_cast<const char*>(nullptr), "", "state"}) {
    EXPECT_EQ(xdgStateFolder("/home/u", ignored),
              FileUrl::fromPath("/home/u/.local/state/tessvik", true));
  }
}

}  // namespace
}  // namespace tessvik
