// The status table: lookups under canonical equivalence and the diff that
// decides which badges a rewrite pushes.
#include "state/status_table_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

namespace tessvik {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

StatusTable table(const Entries& entries) {
  StatusTable::Builder builder;
  for (const auto& [key, status] : entries) EXPECT_TRUE(builder.add(key, status));
  return std::move(builder).finish();
}

Entries diff(const StatusTable& next, const StatusTable& previous) {
  Entries changes;
  next.diff(previous, [&](std::string_view key, std::string_view status) {
    changes.emplace_back(key, status);
  });
  std::sort(changes.begin(), changes.end());
  return changes;
}

TEST(StatusTable, FindsKeysUnderCanonicalEquivalenceAndKeepsThemAsWritten) {
  StatusTable t = table({{"caf\u00E9/menu.txt", "synced"},
                         {"\u212B", "error"},
                         {"a", "x"},
                         {"\u212A.txt", "conflict"}});
  EXPECT_EQ(t.find("cafe\u0301/menu.txt"), "synced");
  EXPECT_EQ(t.find("caf\u00E9/menu.txt"), "synced");
  EXPECT_EQ(t.find("\u00C5"), "error");  // the Ångström sign is canonically Å
  EXPECT_EQ(t.find("A\u030A"), "error");
  // The Kelvin sign is canonically the ASCII K: found by either spelling.
  EXPECT_EQ(t.find("K.txt"), "conflict");
  EXPECT_EQ(t.find("\u212A.txt"), "conflict");
  EXPECT_EQ(t.find("k.txt"), std::nullopt);
  EXPECT_EQ(t.find("cafe/menu.txt"), std::nullopt);
  EXPECT_EQ(t.find("/a"), std::nullopt);  // a leading "/" is another key
  EXPECT_EQ(t.keyAt(0), "caf\u00E9/menu.txt");
  EXPECT_EQ(t.keyAt(1), "\u212B");
  EXPECT_EQ(StatusTable().find(""), std::nullopt);
  EXPECT_EQ(table({}).find("a"), std::nullopt);
}

TEST(StatusTable, DiffReportsNewChangedAndDroppedKeysOnly) {
  StatusTable before = table({{"a", "syncing"}, {"b", "synced"}, {"c", "synced"}, {"e", ""}});
  StatusTable after = table({{"c", "synced"}, {"a", "synced"}, {"d", "error"}, {"e", ""}});
  EXPECT_EQ(diff(after, before), (Entries{{"a", "synced"}, {"b", ""}, {"d", "error"}}));
  EXPECT_EQ(diff(after, after), Entries{});
  EXPECT_EQ(diff(after, StatusTable()),
            (Entries{{"a", "synced"}, {"c", "synced"}, {"d", "error"}, {"e", ""}}));
  EXPECT_EQ(diff(StatusTable(), before), (Entries{{"a", ""}, {"b", ""}, {"c", ""}, {"e", ""}}));
}

TEST(StatusTable, DiffComparesKeysAndStatusesCanonicallyAndPushesKeysAsWritten) {
  StatusTable before = table({{"caf\u00E9", "r\u00E9gl\u00E9"}, {"x\u00E9", "a"}});
  StatusTable after = table({{"cafe\u0301", "re\u0301gle\u0301"}, {"xe\u0301", "b"}});
  EXPECT_EQ(diff(after, before), (Entries{{"xe\u0301", "b"}}));
  // One file may spell a status both ways: still one status.
  StatusTable mixed = table({{"a", "\u00C5"}, {"b", "A\u030A"}, {"c", "\u00C5"}});
  StatusTable rebuilt = table({{"a", "\u00C5"}, {"b", "A\u030A"}, {"c", "\u00C5"}});
  EXPECT_EQ(diff(rebuilt, mixed), Entries{});
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
  Entries oldEntries, newEntries;
  for (int i = 0; i < 20000; ++i) {
    std::string key = "dir" + std::to_string(i % 97) + "/f\u00E9" + std::to_string(i);
    oldMap[key] = statuses[random() % 5];
    oldEntries.emplace_back(key, oldMap[key]);
    if (random() % 10 == 0) continue;  // dropped
    newMap[key] = random() % 20 == 0 ? statuses[random() % 5] : oldMap[key];
  }
  for (int i = 0; i < 500; ++i) newMap["new/" + std::to_string(i)] = "syncing";
  for (const auto& entry : newMap) newEntries.push_back(entry);
  // Mostly the old order, with a few stretches moved.
  std::rotate(newEntries.begin() + 100, newEntries.begin() + 300, newEntries.begin() + 900);

  Entries expected;
  for (const auto& [key, status] : newMap) {
    auto it = oldMap.find(key);
    if (it == oldMap.end() || it->second != status) expected.emplace_back(key, status);
  }
  for (const auto& [key, status] : oldMap) {
    if (!newMap.contains(key)) expected.emplace_back(key, "");
  }
  std::sort(expected.begin(), expected.end());

  StatusTable before = table(oldEntries);
  StatusTable after = table(newEntries);
  EXPECT_EQ(after.size(), newMap.size());
  EXPECT_EQ(diff(after, before), expected);
  for (const auto& [key, status] : newMap) ASSERT_EQ(after.find(key), status) << key;
}

TEST(StatusTable, ARepeatedKeyKeepsItsFirstPlaceAndItsLastTextAndStatus) {
  StatusTable t =
      table({{"a", "syncing"}, {"K", "x"}, {"b", "x"}, {"a", "synced"}, {"\u212A", "y"}});
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t.keyAt(0), "a");
  EXPECT_EQ(t.statusAt(0), "synced");
  EXPECT_EQ(t.keyAt(1), "\u212A");
  EXPECT_EQ(t.find("K"), "y");
}

// A rewrite that keeps the first keys shares them until a key differs, then
// copies them; every key of the previous table may be empty, and so hold no
// bytes at all (a sync client's file for its root alone).
TEST(StatusTable, ARereadThatStopsSharingCopiesTheKeysBefore) {
  for (const Entries& previousEntries : {Entries{{"", "synced"}}, Entries{{"a/b", "synced"}}}) {
    const StatusTable previous = table(previousEntries);
    const std::string key = previousEntries[0].first;
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
