// The status table: lookups under canonical equivalence and the diff that
// decides which badges a rewrite pushes. (Lookups by every equivalent
// spelling, and repeated keys, are checked against ICU by the fuzz targets,
// whose seed corpora the tests replay.)
#include "state/status_table_builder.h"

#include <gtest/gtest.h>

#include "state/state_test_support.h"

namespace tessvik {
namespace {

using testing::diff;
using testing::Entries;

StatusTable table(const Entries& entries) {
  StatusTable::Builder builder;
  for (const auto& [key, status] : entries) EXPECT_TRUE(builder.add(key, status));
  return std::move(builder).finish();
}

TEST(StatusTable, FindsKeysUnderCanonicalEquivalence) {
  StatusTable t = table({{"caf\u00E9/menu.txt", "synced"}, {"\u212A.txt", "conflict"}});
  // The Kelvin sign is canonically the ASCII K: found by either spelling.
  EXPECT_EQ(t.find("K.txt"), "conflict");
  EXPECT_EQ(t.find("\u212A.txt"), "conflict");
  EXPECT_EQ(t.find("k.txt"), std::nullopt);
  EXPECT_EQ(t.find("/K.txt"), std::nullopt);  // a leading "/" is another key
}

TEST(StatusTable, DiffReportsNewChangedAndDroppedKeysComparedCanonically) {
  StatusTable before = table({{"a", "syncing"}, {"b", "synced"}, {"c", "synced"}, {"e", ""}});
  // Keys stay in place until one differs; the rest are found wherever they
  // stand, and those matched in place before still count as matched.
  StatusTable after = table({{"a", "synced"}, {"c", "synced"}, {"d", "error"}, {"e", ""}});
  EXPECT_EQ(diff(after, before), (Entries{{"a", "synced"}, {"b", ""}, {"d", "error"}}));
  EXPECT_EQ(diff(after, StatusTable()),
            (Entries{{"a", "synced"}, {"c", "synced"}, {"d", "error"}, {"e", ""}}));
  EXPECT_EQ(diff(StatusTable(), before), (Entries{{"a", ""}, {"b", ""}, {"c", ""}, {"e", ""}}));
  // Keys and statuses respelled are the same; changes go out as written.
  before = table({{"caf\u00E9", "r\u00E9gl\u00E9"}, {"x\u00E9", "a"}, {"b", "\u00C5"}});
  after = table({{"cafe\u0301", "re\u0301gle\u0301"}, {"xe\u0301", "b"}, {"b", "A\u030A"}});
  EXPECT_EQ(diff(after, before), (Entries{{"xe\u0301", "b"}}));
}

}  // namespace
}  // namespace tessvik
