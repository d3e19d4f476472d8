// Which state folder entries are badge state files.
#include "state/badge_file.h"

#include <gtest/gtest.h>

namespace tessvik {
namespace {

TEST(BadgeFile, ANameBeginsWithBadgesAndEndsWithJsonCaseIncluded) {
  const std::pair<const char*, bool> names[] = {
      {"badges.json", true},   {"badges-2.json", true}, {"badges_home.json", true},
      {"badge.json", false},   {"Badges.json", false},  {"badges.json.tmp", false},
      {"badges.JSON", false},  {"state.json", false},   {"xbadges.json", false},
      {"badge-2.json", false},
  };
  for (const auto& [name, accepted] : names)
    EXPECT_EQ(isBadgeStateFileName(name), accepted) << name;
}

}  // namespace
}  // namespace tessvik
