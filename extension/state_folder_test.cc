#include "extension/state_folder.h"

#include <gtest/gtest.h>

namespace tessvik {
namespace {

TEST(StateFolderTest, TheFinderKeepsItsFolderInTheHomeAndLinuxWhereXdgSays) {
  EXPECT_EQ(finderStateFolder("/Users/u"),
            FileUrl::fromPath("/Users/u/Library/Application Support/tessvik", true));
  EXPECT_EQ(xdgStateFolder("/home/u", "/var/u/"), FileUrl::fromPath("/var/u/tessvik", true));
  for (const char* ignored : {static_cast<const char*>(nullptr), "", "state"}) {
    EXPECT_EQ(xdgStateFolder("/home/u", ignored),
              FileUrl::fromPath("/home/u/.local/state/tessvik", true));
  }
}

}  // namespace
}  // namespace tessvik
