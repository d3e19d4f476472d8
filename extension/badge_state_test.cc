// The badge state: what a reload reads, pushes, logs and keeps, and the
// answers given from it.
#include "extension/badge_state.h"

#include <cerrno>

#include "extension/extension_test_support.h"

namespace tessvik::testing {
namespace {

using Pushes = std::vector<RecordingController::BadgePush>;
using Lines = std::vector<RecordingLogger::Line>;
using Paths = std::vector<std::string>;

class BadgeStateTest : public StateFolderTest {
 protected:
  // Reloads; with `quietly`, forgets what that reload pushed, observed and
  // logged.
  void reload(bool quietly = false) {
    state_.reload(FileUrl::fromPath(kStateDir, true));
    if (quietly) {
      controller_.pushes.clear();
      controller_.directorySets.clear();
      logger_.lines.clear();
    }
  }
  // The badge answered for `path`, or nothing when there is no answer.
  std::optional<std::string_view> badgeFor(const std::string& path) const {
    return state_.badgeIdentifierFor(FileUrl::fromPath(path, path.ends_with('/')));
  }

  RecordingController controller_;
  RecordingLogger logger_;
  BadgeState state_{files_, logger_, controller_};
};

TEST_F(BadgeStateTest, FirstLoadPushesEveryItemLogsEachFileAndObservesTheRoots) {
  writeState("badges.json", "/Users/u/Sync",
             {{"docs/report.pdf", "synced"}, {"a.txt", "Synced"}, {"", "conflict"}});
  writeState("badges-2.json", "/Volumes/Data/Photos", {{"x.jpg", "paused"}});
  writeState("Badges.json", "/Other", {{"x", "synced"}});  // not a badge state file
  reload();
  // Statuses go to the host as written, known badge or not.
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"Synced", "/Users/u/Sync/a.txt"},
                                              {"conflict", "/Users/u/Sync"},
                                              {"paused", "/Volumes/Data/Photos/x.jpg"},
                                              {"synced", "/Users/u/Sync/docs/report.pdf"}}));
  EXPECT_EQ(controller_.directorySets,
            (std::vector<Paths>{{"/Users/u/Sync", "/Volumes/Data/Photos"}}));
  EXPECT_EQ(logger_.takeLines(),
            (Lines{{LogLevel::kDefault, "état chargé : 1 élément(s) sous /Volumes/Data/Photos"},
                   {LogLevel::kDefault, "état chargé : 3 élément(s) sous /Users/u/Sync"}}));
}

TEST_F(BadgeStateTest, ARewritePushesOnlyWhatChangedAndDatesCompareToTheNanosecond) {
  files_.writeFile(statePath("badges.json"),
                   badgeJson("/S", {{"a", "syncing"}, {"b", "synced"}, {"c", "synced"}}), {5, 1});
  reload(true);
  // a changes, b is dropped, c stays, d is new with the empty status.
  files_.writeFile(statePath("badges.json"),
                   badgeJson("/S", {{"c", "synced"}, {"d", ""}, {"a", "synced"}}), {5, 2});
  reload();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"", "/S/b"}, {"", "/S/d"}, {"synced", "/S/a"}}));
  EXPECT_EQ(controller_.directorySets, (std::vector<Paths>{{"/S"}}));
  EXPECT_EQ(logger_.takeLines(),
            (Lines{{LogLevel::kDefault, "état chargé : 3 élément(s) sous /S"}}));
  // A rewrite that keeps the date is never seen.
  files_.writeFile(statePath("badges.json"), badgeJson("/S", {{"a", "error"}}), {5, 2});
  reload();
  EXPECT_TRUE(controller_.pushes.empty());
  // One whose date moved backwards is seen (a backup restored, say).
  files_.writeFile(statePath("badges.json"), badgeJson("/S", {{"a", "error"}}), {5, 0});
  reload();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"", "/S/c"}, {"", "/S/d"}, {"error", "/S/a"}}));
}

TEST_F(BadgeStateTest, ARenamedFileIsRemovedThenAddedADeletedOneClearsItsItemsOnce) {
  writeState("badges.json", "/S", {{"a", "synced"}, {"b", "error"}});
  reload(true);
  removeState("badges.json");
  writeState("badges-2.json", "/S", {{"a", "synced"}});
  reload();
  // In this order: the item ends with its badge.
  EXPECT_EQ(controller_.pushes, (Pushes{{"", "/S/a"}, {"", "/S/b"}, {"synced", "/S/a"}}));
  EXPECT_EQ(badgeFor("/S/a"), "synced");
  reload(true);
  removeState("badges-2.json");
  reload();
  reload();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"", "/S/a"}}));
  EXPECT_EQ(controller_.directorySets, (std::vector<Paths>{{}}));
  EXPECT_EQ(badgeFor("/S/a"), std::nullopt);
}

TEST_F(BadgeStateTest, EachFileIsDiffedAgainstItsOwnRootOnlyWhateverItsUnicodeForm) {
  const std::string nfd = "/Donne\u0301es";
  writeState("badges.json", "/Donn\u00E9es", {{"a", "synced"}, {"b", "synced"}});
  writeState("badges-2.json", nfd, {{"a", "synced"}, {"z", "synced"}});
  reload();
  EXPECT_EQ(controller_.directorySets.back(), Paths{nfd});  // one folder, one spelling
  controller_.takePushes();
  // Same root respelled: diffed against what this file said before, so only
  // the dropped item moves, though the other file lists it.
  writeState("badges.json", nfd, {{"b", "synced"}});
  reload();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"", nfd + "/a"}}));
  // Under a new root every item is new; nothing is pushed under the old one.
  writeState("badges.json", "/New/", {{"b", "synced"}});
  reload();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"synced", "/New/b"}}));
  EXPECT_EQ(controller_.directorySets.back(), (Paths{nfd, "/New"}));
}

TEST_F(BadgeStateTest, BrokenFilesAreReportedAtEveryReloadKeepTheLastGoodStateAndAreRetried) {
  writeState("badges.json", "/S", {{"a", "synced"}});
  reload(true);
  writeState("badges.json", "{\"root\":\"/S\",\"files\":{\"a\":\"error\",\"b\":1}}");
  reload();
  files_.faults[{"open", statePath("badges.json")}] = EACCES;
  reload();
  const std::string prefix = "état illisible (badges.json) : ";
  EXPECT_EQ(
      logger_.takeLines(),
      (Lines{{LogLevel::kError, prefix + "la valeur de « b » dans « files » n'est pas une chaîne "
                                         "(ligne 1, colonne 39)"},
             {LogLevel::kError,
              prefix + "« " + statePath("badges.json") + " » : permission refusée"}}));
  EXPECT_TRUE(controller_.pushes.empty() && controller_.directorySets.empty());
  EXPECT_EQ(badgeFor("/S/a"), "synced");
  // A file that cannot be dated is skipped quietly: still held.
  files_.faults = {{{"lstat", statePath("badges.json")}, EACCES}};
  reload();
  EXPECT_TRUE(logger_.lines.empty());
  // Whole again: diffed against the last good state.
  files_.faults.clear();
  writeState("badges.json", "/S", {{"a", "error"}});
  reload();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"error", "/S/a"}}));
}

TEST_F(BadgeStateTest, ListingFailuresAreLoggedOncePerDistinctErrorAndChangeNothing) {
  writeState("badges.json", "/S", {{"a", "synced"}});
  reload(true);
  // The same failure twice, listed again, then the same failure: still the
  // last one logged. Two errors that read alike are still two errors.
  for (int error : {ENOENT, ENOENT, 0, ENOENT, EMFILE, ENFILE}) {
    files_.faults = {{{"opendir", kStateDir}, error}};
    if (error == 0) files_.faults.clear();
    reload();
  }
  const std::string failure = "lecture impossible : « " + std::string(kStateDir) + " » : ";
  EXPECT_EQ(logger_.takeLines(),
            (Lines{{LogLevel::kError, failure + "aucun fichier ou dossier de ce nom"},
                   {LogLevel::kError, failure + "trop de fichiers ouverts"},
                   {LogLevel::kError, failure + "trop de fichiers ouverts"}}));
  EXPECT_TRUE(controller_.pushes.empty());
  EXPECT_EQ(badgeFor("/S/a"), "synced");
}

TEST_F(BadgeStateTest, AnswersUnderStandardisedRootsAndStaysSilentOutsideThem) {
  writeState("badges-2.json", "/V/Sync/./", {{"a/b.txt", "synced"}, {"", "error"}, {"/c", "x"}});
  writeState("badges.json", "/V/Sync/Sub", {{"f.txt", "syncing"}});
  // "/" holds every absolute path, where no deeper root does.
  writeState("badges-4.json", "/", {{"V/Sync2/x.txt", "error"}});
  // The same root as badges.json, visited after it: the file visited first
  // answers, so that the answer does not hop between files from tick to tick.
  writeState("badges_z.json", "/V/Sync/Sub", {{"f.txt", "conflict"}});
  reload();
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"/V/Sync/a/./c/../b.txt", "synced"},
      {"/V/Sync/a/", ""},          // a folder with no entry of its own
      {"/V/Sync/c", ""},           // a key with a leading "/" never matches
      {"/V/Sync/", std::nullopt},  // the root itself
      {"/V/Sync2/x.txt", "error"},
      // The deepest root wins, though a file visited before it holds the item.
      {"/V/Sync/Sub/f.txt", "syncing"},
      {"/V/Sync/Sub", std::nullopt},
      {"/", std::nullopt},
  };
  for (const auto& [path, badge] : cases) EXPECT_EQ(badgeFor(path), badge) << path;
}

}  // namespace
}  // namespace tessvik::testing
