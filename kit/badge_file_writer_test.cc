// The writer, on in-memory file systems: what it writes decodes back through
// the extension's own decoder; a rewrite always moves the date; a failure
// leaves the old file whole.
#include "kit/badge_file_writer.h"

#include <gtest/gtest.h>
#include <simdjson.h>

#include <thread>

#include "kit/fake/coarse_file_system.h"
#include "state/badge_file.h"
#include "state/badge_file_decoder.h"
#include "state/badge_statuses.h"

namespace tessvik::kit {
namespace {

constexpr const char* kFolder = "/home/u/Library/Application Support/tessvik";
const std::string kTarget = std::string(kFolder) + "/badges.json";

Result<FileTime> write(WritableFileSystem& files,
                       const std::vector<std::pair<std::string, std::string>>& items) {
  Result<BadgeFileWriter> writer =
      BadgeFileWriter::begin(files, kFolder, "badges.json", "/home/u/Sync \"é\"");
  if (!writer) return writer.error();
  for (const auto& [path, status] : items) {
    if (Result<void> added = writer.value().add(path, status); !added) return added.error();
  }
  return writer.value().commit();
}

TEST(BadgeFileWriter, WritesWhatTheExtensionDecodesBackExactlyAndRefusesWhatItCannot) {
  const std::vector<std::pair<std::string, std::string>> items = {
      {"", "synced"},
      // Every escape is the shared JSON writer's to test: here, that the
      // writer uses it for keys.
      {"guillemets \"dits\"/barre \\ contrôle \x01\n", "syncing"},
      // Written as given: not normalised.
      {"cafe\u0301/de\u0301compose\u0301", "conflict"},
      {"\u65e5\u672c/\U0001F600.txt", ""},
  };
  CoarseFileSystem files(1);
  ASSERT_TRUE(write(files, items));
  BadgeFileDecoder decoder;
  Result<BadgeFile> decoded = decoder.decode(files.entries.at(kTarget).content);
  ASSERT_TRUE(decoded) << decoded.error().description;
  EXPECT_EQ(decoded.value().root, "/home/u/Sync \"é\"");
  ASSERT_EQ(decoded.value().files.size(), items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(decoded.value().files.keyAt(i), items[i].first);
    EXPECT_EQ(decoded.value().files.statusAt(i), items[i].second);
  }
  // What it refuses: each rule is the corpus's (kit/badge_file_rules_corpus.json),
  // through tessvik-badges write; here, what that cannot bring.
  EXPECT_FALSE(write(files, {{"\xff", "synced"}}));
  // An item twice, here in two Unicode forms: found from the file read back.
  Result<FileTime> twice = write(files, {{"a", ""}, {"caf\u00e9", "synced"}, {"cafe\u0301", ""}});
  ASSERT_FALSE(twice);
  EXPECT_EQ(twice.error().description,
            "l'élément « cafe\u0301 » (n° 3) redit la clé « caf\u00e9 » (élément n° 2) dans une "
            "autre forme Unicode : c'est le même élément, seul son dernier statut compte");
  EXPECT_FALSE(BadgeFileWriter::begin(files, kFolder, "Badges.json", "/r"));
}

// The clock stands still but for the writer's waits: each rewrite falls
// within the file system's granularity, and must still get a later date, by
// the finest step kept, never more than one step ahead of the clock.
TEST(BadgeFileWriter, RewriteWithinTheDateGranularityMovesTheDateAndWaitsForTheClock) {
  for (std::int64_t granularity :
       {std::int64_t{1}, std::int64_t{1'000'000'000}, std::int64_t{2'000'000'000}}) {
    CoarseFileSystem files(granularity);
    const auto stepAfter = [&](FileTime t) {
      return files.kept(
          {t.seconds + granularity / 1'000'000'000, t.nanoseconds + granularity % 1'000'000'000});
    };
    Result<FileTime> last = write(files, {{"a", "syncing"}});
    for (int i = 0; i < 5 && last; ++i) {
      Result<FileTime> next = write(files, {{std::to_string(i), "synced"}});
      ASSERT_TRUE(next) << granularity;
      EXPECT_EQ(next.value(), stepAfter(last.value())) << granularity;
      EXPECT_LE(next.value(), stepAfter(files.clock)) << granularity << " " << i;
      last = next;
    }
    EXPECT_EQ(files.entries.at(kTarget).modified, last.value());
  }
}

// Writers on threads, each rewriting one file: the renames come in the
// order of their dates, so the file's last content always has the date that
// no reader has seen.
TEST(BadgeFileWriter, WritersOfOneFileTakeTurnsSoThatEveryRenameMovesTheDate) {
  CoarseFileSystem files(1'000'000'000);
  // (std::thread: the libc++ of the Mac's toolchains has no std::jthread.)
  std::vector<std::thread> writers;
  for (int w = 0; w < 4; ++w) {
    writers.emplace_back([&, w] {
      for (int i = 0; i < 25; ++i) {
        EXPECT_TRUE(write(files, {{std::to_string(w) + "-" + std::to_string(i), "synced"}}));
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  ASSERT_EQ(files.renamed.size(), 100u);
  for (std::size_t i = 1; i < files.renamed.size(); ++i) {
    EXPECT_GT(files.renamed[i].second.modified, files.renamed[i - 1].second.modified) << i;
  }
}

TEST(BadgeFileWriter, FailureBeforeTheRenameLeavesTheOldFileWhole) {
  for (const char* failing : {"write", "setModificationTime", "sync", "close", "rename", ""}) {
    CoarseFileSystem files(1'000'000'000);
    ASSERT_TRUE(write(files, {{"a", "synced"}}));
    const std::string old = files.entries.at(kTarget).content;
    files.failing = failing;
    {
      Result<BadgeFileWriter> writer = BadgeFileWriter::begin(files, kFolder, "badges.json", "/r");
      ASSERT_TRUE(writer && writer.value().add("a", "error"));
      // Killed here: the temporary file's name is one the extension ignores.
      for (const auto& [path, entry] : files.entries) {
        EXPECT_TRUE(path == kTarget || !isBadgeStateFileName(path.substr(path.rfind('/') + 1)));
      }
      if (*failing != '\0') {
        // Named as the state file, not the temporary file it failed on.
        Result<FileTime> committed = writer.value().commit();
        ASSERT_FALSE(committed) << failing;
        EXPECT_TRUE(committed.error().description.starts_with("« " + kTarget + " » : "))
            << committed.error().description;
      }
    }
    EXPECT_EQ(files.entries.size(), 1u) << failing;
    EXPECT_EQ(files.entries.at(kTarget).content, old) << failing;
  }
}

}  // namespace
}  // namespace tessvik::kit

namespace tessvik::kit {
namespace {

// The schema, for clients in other languages, takes its statuses from the
// same list as the writer.
TEST(BadgeStateSchema, AcceptsTheStatusesWithABadgeAndTheEmptyOne) {
  simdjson::dom::parser parser;
  simdjson::dom::element schema;
  ASSERT_EQ(parser.load(TESSVIK_SCHEMA_PATH).get(schema), simdjson::SUCCESS);
  simdjson::dom::array accepted;
  ASSERT_EQ(schema.at_pointer("/properties/files/additionalProperties/enum").get(accepted),
            simdjson::SUCCESS);
  std::vector<std::string_view> statuses;
  for (simdjson::dom::element status : accepted) statuses.push_back(status.get_string().value());
  std::vector<std::string_view> expected(kBadgeStatuses.begin(), kBadgeStatuses.end());
  expected.push_back("");
  EXPECT_EQ(statuses, expected);
}

}  // namespace
}  // namespace tessvik::kit
