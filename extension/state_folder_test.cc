#include "extension/state_folder.h"

#include <gtest/gtest.h>

namespace tessvik {
namespace {

TEST(StateFolderTest, TheFinderKeepsItsFolderInTheHomeAndLinuxWhereXdgSays) {
  EXPECT_EQ(finderStateFolder("/Users/u").path(), "/Users/u/Library/Application Support/tessvik");
  const struct {
    const char* xdgStateHome;
    const char* expected;
  } cases[] = {
      {"/var/state/u/", "/var/state/u/tessvik"},
      {nullptr, "/home/u/.local/state/tessvik"},
      {"", "/home/u/.local/state/tessvik"},
      {"state", "/home/u/.local/state/tessvik"},  // relative: ignored
  };
  for (const auto& c : cases) {
    const FileUrl folder = xdgStateFolder("/home/u", c.xdgStateHome);
    EXPECT_EQ(folder.path(), c.expected) << (c.xdgStateHome ? c.xdgStateHome : "(unset)");
    EXPECT_TRUE(folder.isDirectory());
  }
}

}  // namespace
}  // namespace tessvik
