// Which state folder entries are badge state files.
#include "state/badge_file.h"

#include <gtest/gtest.h>

namespace tessvik {
namespace {

TEST(BadgeFile, ANameBeginsWithBadgesAndEndsWithJsonCaseIncluded) {
  // Exact and case-sensitive at both ends; nothing else is asked of a name.
  const std::pair<const char*, bool> names[] = {
      {"badges.json", true},       {"badges-2.json", true},    {"Badges.json", false},
      {"badges.JSON", false},      {"badges.json.tmp", false}, {"xbadges.json", false},
      {".badges.json.tmp", false},
  };
  for (const auto& [name, accepted] : names)
    EXPECT_EQ(isBadgeStateFileName(name), accepted) << name;
}

}  // namespace
}  // namespace tessvik
