// The status table: lookups under canonical equivalence and the diff that
// decides which badges a rewrite pushes. (Lookups by every equivalent
// spelling, and repeated keys, are checked against ICU by the fuzz targets,
// whose seed corpora the tests replay.)
#include "state/status_table_builder.h"

#include <algorithm>
#include <map>
#include <random>

#include "testing/test_support.h"

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
  EXPECT_EQ(StatusTable().find(""), std::nullopt);
}

TEST(StatusTable, DiffReportsNewChangedAndDroppedKeysComparedCanonically) {
  StatusTable before = table({{"a", "syncing"}, {"b", "synced"}, {"c", "synced"}, {"e", ""}});
  StatusTable after = table({{"c", "synced"}, {"a", "synced"}, {"d", "error"}, {"e", ""}});
  EXPECT_EQ(diff(after, before), (Entries{{"a", "synced"}, {"b", ""}, {"d", "error"}}));
  EXPECT_EQ(diff(after, StatusTable()),
            (Entries{{"a", "synced"}, {"c", "synced"}, {"d", "error"}, {"e", ""}}));
  EXPECT_EQ(diff(StatusTable(), before), (Entries{{"a", ""}, {"b", ""}, {"c", ""}, {"e", ""}}));
  // Keys and statuses respelled are the same; changes go out as written.
  before = table({{"caf\u00E9", "r\u00E9gl\u00E9"}, {"x\u00E9", "a"}, {"b", "\u00C5"}});
  after = table({{"cafe\u0301", "re\u0301gle\u0301"}, {"xe\u0301", "b"}, {"b", "A\u030A"}});
  EXPECT_EQ(diff(after, before), (Entries{{"xe\u0301", "b"}}));
  // One file may spell a status both ways: still one status.
  const StatusTable mixed = table({{"a", "\u00C5"}, {"b", "A\u030A"}, {"c", "\u00C5"}});
  EXPECT_EQ(diff(table({{"a", "\u00C5"}, {"b", "A\u030A"}, {"c", "\u00C5"}}), mixed), Entries{});
  EXPECT_EQ(diff(mixed, mixed), Entries{});
  EXPECT_EQ(diff(table({{"a", "A\u030A"}, {"b", "\u00C5"}, {"c", "A\u030A"}}), mixed), Entries{});
}

// The diff must agree with a plain map comparison whatever the order and
// however many keys: the table grows its index as it fills, and the file-order
// walk falls back to the index wherever the orders part.
TEST(StatusTable, DiffAgreesWithAMapComparisonOnLargeShuffledTables) {
  std::mt19937 random(7);
  const char* statuses[] = {"synced", "syncing", "conflict", "error", ""};
  std::map<std::string, std::string> oldMap, newMap;
  Entries oldEntries;
  for (int i = 0; i < 20000; ++i) {
    std::string key = "dir" + std::to_string(i % 97) + "/f\u00E9" + std::to_string(i);
    oldEntries.emplace_back(key, oldMap[key] = statuses[random() % 5]);
    if (random() % 10 == 0) continue;  // dropped
    newMap[key] = random() % 20 == 0 ? statuses[random() % 5] : oldMap[key];
  }
  for (int i = 0; i < 500; ++i) newMap["new/" + std::to_string(i)] = "syncing";
  Entries newEntries(newMap.begin(), newMap.end());
  // Mostly the old order, with a few stretches moved.
  std::rotate(newEntries.begin() + 100, newEntries.begin() + 300, newEntries.begin() + 900);

  Entries expected;
  for (const auto& [key, status] : newMap) {
    if (!oldMap.contains(key) || oldMap[key] != status) expected.emplace_back(key, status);
  }
  for (const auto& [key, status] : oldMap) {
    if (!newMap.contains(key)) expected.emplace_back(key, "");
  }
  std::sort(expected.begin(), expected.end());
  const StatusTable after = table(newEntries);
  EXPECT_EQ(diff(after, table(oldEntries)), expected);
  for (const auto& [key, status] : newMap) ASSERT_EQ(after.find(key), status) << key;
}

// A rewrite that keeps the first keys shares them until a key differs, then
// copies them; every key of the previous table may be empty, and so hold no
// bytes at all (a sync client's file for its root alone).
TEST(StatusTable, ARereadThatStopsSharingCopiesTheKeysBefore) {
  for (const std::string key : {"", "a/b"}) {
    const StatusTable previous = table({{key, "synced"}});
    const std::string file = "{\"" + key + "\":\"syncing\",\"new\":\"x\"}";
    FlatArray<char> bytes;
    bytes.assign(file.data(), file.size());
    StatusTable::Builder builder;
    builder.resemble(previous);
    builder.expectFileOf(file.size());
    builder.writeKeysOver(bytes);
    ASSERT_TRUE(builder.add(key, "syncing"));
    ASSERT_TRUE(builder.add("new", "x"));
    const StatusTable next = std::move(builder).finish();
    EXPECT_EQ(diff(next, previous), (Entries{{key, "syncing"}, {"new", "x"}}));
    EXPECT_EQ(next.keyAt(0), key);
    EXPECT_EQ(bytes.capacity(), 0u);  // the keys were written over it
  }
}

}  // namespace
}  // namespace tessvik
