// The badge state: what a reload reads, pushes, logs and keeps, and the
// answers given from it.
#include "extension/badge_state.h"

#include <cerrno>

#include "testing/test_support.h"

namespace tessvik::testing {
namespace {

using Push = RecordingController::BadgePush;
using Pushes = std::vector<Push>;
using Line = RecordingLogger::Line;
using Lines = std::vector<Line>;
using Paths = std::vector<std::string>;

class BadgeStateTest : public StateFolderTest {
 protected:
  void reload() { state_.reload(FileUrl::fromPath(kStateDir, true)); }
  // The badge answered for `path`, or nothing when there is no answer.
  std::optional<std::string> badgeFor(const std::string& path) const {
    std::optional<std::string_view> identifier =
        state_.badgeIdentifierFor(FileUrl::fromPath(path, path.ends_with('/')));
    return identifier ? std::optional<std::string>(*identifier) : std::nullopt;
  }
  // Reloads, then forgets what that reload pushed and logged.
  void reloadQuietly() {
    reload();
    controller_.takePushes();
    controller_.directorySets.clear();
    logger_.takeLines();
  }

  RecordingController controller_;
  RecordingLogger logger_;
  BadgeState state_{faulty_, logger_, controller_};
};

TEST_F(BadgeStateTest, FirstLoadPushesEveryItemLogsEachFileAndObservesTheRootsOnce) {
  writeState("badges.json", "/Users/u/Sync",
             {{"docs/report.pdf", "synced"}, {"a.txt", "Synced"}, {"", "conflict"}});
  writeState("badges-2.json", "/Volumes/Data/Photos", {{"x.jpg", "paused"}});
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

TEST_F(BadgeStateTest, AnIdleReloadListsOnceDatesEachFileAndChangesNothing) {
  reload();  // an empty state folder
  EXPECT_TRUE(controller_.pushes.empty() && controller_.directorySets.empty());
  EXPECT_TRUE(logger_.lines.empty());
  for (int i = 0; i < 5; ++i) {
    writeState("badges-" + std::to_string(i) + ".json", "/r" + std::to_string(i), {{"f", "ok"}});
  }
  reloadQuietly();
  files_.calls = {};
  reload();
  EXPECT_EQ(files_.calls.listFolder, 1);
  EXPECT_EQ(files_.calls.modificationTime, 5);
  EXPECT_EQ(files_.calls.readFile, 0);
  EXPECT_TRUE(controller_.pushes.empty() && controller_.directorySets.empty());
  EXPECT_TRUE(logger_.lines.empty());
}

TEST_F(BadgeStateTest, ARewritePushesOnlyWhatChangedAndIsAnnouncedAgain) {
  writeState("badges.json", "/S", {{"a", "syncing"}, {"b", "synced"}, {"c", "synced"}});
  reloadQuietly();
  // a changes, b is dropped, c stays, d is new with the empty status.
  writeState("badges.json", "/S", {{"c", "synced"}, {"d", ""}, {"a", "synced"}});
  reload();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"", "/S/b"}, {"", "/S/d"}, {"synced", "/S/a"}}));
  EXPECT_EQ(controller_.directorySets, (std::vector<Paths>{{"/S"}}));
  EXPECT_EQ(logger_.takeLines(),
            (Lines{{LogLevel::kDefault, "état chargé : 3 élément(s) sous /S"}}));
  // Same content under a new date: read and announced again, nothing pushed.
  writeState("badges.json", "/S", {{"c", "synced"}, {"d", ""}, {"a", "synced"}});
  reload();
  EXPECT_TRUE(controller_.pushes.empty());
  EXPECT_EQ(controller_.directorySets.size(), 2u);
}

TEST_F(BadgeStateTest, DatesAreComparedToTheNanosecond) {
  files_.writeFile(statePath("badges.json"), badgeJson("/S", {{"a", "synced"}}), FileTime{5, 1});
  reloadQuietly();
  files_.writeFile(statePath("badges.json"), badgeJson("/S", {{"a", "error"}}), FileTime{5, 2});
  reload();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"error", "/S/a"}}));
  // A rewrite that keeps the date is never seen.
  files_.writeFile(statePath("badges.json"), badgeJson("/S", {{"a", "synced"}}), FileTime{5, 2});
  reload();
  EXPECT_TRUE(controller_.pushes.empty());
}

TEST_F(BadgeStateTest, ADeletedFileClearsItsItemsAndTheObservedSet) {
  writeState("badges.json", "/S", {{"a", "synced"}, {"b/c", "error"}});
  reloadQuietly();
  removeState("badges.json");
  reload();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"", "/S/a"}, {"", "/S/b/c"}}));
  EXPECT_EQ(controller_.directorySets, (std::vector<Paths>{{}}));
  EXPECT_EQ(badgeFor("/S/a"), std::nullopt);
  reload();
  EXPECT_EQ(controller_.directorySets.size(), 1u);  // nothing more to announce
}

TEST_F(BadgeStateTest, ARenamedFileIsARemovedFilePlusANewOne) {
  writeState("badges.json", "/S", {{"a", "synced"}});
  reloadQuietly();
  const std::string content = badgeJson("/S", {{"a", "synced"}});
  removeState("badges.json");
  writeState("badges-2.json", content);
  reload();
  // In this order: the item ends with its badge.
  EXPECT_EQ(controller_.pushes, (Pushes{{"", "/S/a"}, {"synced", "/S/a"}}));
  EXPECT_EQ(badgeFor("/S/a"), "synced");
}

TEST_F(BadgeStateTest, EachFileIsDiffedAgainstItsOwnRootOnly) {
  writeState("badges.json", "/Old", {{"a", "synced"}, {"b", "synced"}});
  writeState("badges-other.json", "/Old", {{"a", "synced"}, {"z", "synced"}});
  reload();
  EXPECT_EQ(controller_.directorySets.back(), Paths{"/Old"});  // observed once
  controller_.takePushes();
  // Dropped from one file, a path loses its badge though the other lists it.
  writeState("badges-other.json", "/Old", {{"z", "synced"}});
  reload();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"", "/Old/a"}}));
  // Under a new root every item is new; nothing is pushed under the old one.
  writeState("badges.json", "/New/", {{"a", "synced"}});
  reload();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"synced", "/New/a"}}));
  EXPECT_EQ(controller_.directorySets.back(), (Paths{"/New", "/Old"}));
}

TEST_F(BadgeStateTest, ARootRespelledInAnotherNormalFormIsTheSameRoot) {
  writeState("badges.json", "/Users/u/Donn\u00E9es", {{"a", "synced"}, {"b", "synced"}});
  writeState("badges-2.json", "/Users/u/Donne\u0301es", {{"c", "synced"}});
  reloadQuietly();
  writeState("badges.json", "/Users/u/Donne\u0301es", {{"a", "synced"}});
  reload();
  // Diffed against what the file said before: only the dropped item moves.
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"", "/Users/u/Donne\u0301es/b"}}));
  // One folder to observe, in one spelling.
  EXPECT_EQ(controller_.directorySets.back().size(), 1u);
}

TEST_F(BadgeStateTest, OnlyBadgeStateFilesAreRead) {
  const std::string json = badgeJson("/S", {{"a", "synced"}});
  for (const char* name : {"badge.json", "Badges.json", "badges.json.tmp"}) writeState(name, json);
  files_.writeFile(std::string(kStateDir) + "/sub/badges.json", json, FileTime{1, 0});
  writeState("badges-2.json", badgeJson("/Home", {}));
  reload();
  EXPECT_TRUE(controller_.pushes.empty());
  EXPECT_EQ(controller_.directorySets, (std::vector<Paths>{{"/Home"}}));
}

TEST_F(BadgeStateTest, BrokenFilesAreReportedAtEveryReloadAndKeepTheLastGoodState) {
  writeState("badges.json", "/S", {{"a", "synced"}});
  reloadQuietly();
  writeState("badges.json", "{\"root\":\"/S\",\"files\":{\"a\":\"error\",\"b\":1}}");
  reload();
  reload();
  const Line broken{LogLevel::kError,
                    "état illisible (badges.json) : la valeur de « b » dans « files » n'est pas "
                    "une chaîne"};
  EXPECT_EQ(logger_.takeLines(), (Lines{broken, broken}));
  EXPECT_TRUE(controller_.pushes.empty());
  EXPECT_TRUE(controller_.directorySets.empty());
  EXPECT_EQ(badgeFor("/S/a"), "synced");
  // Whole again: diffed against the last good state.
  writeState("badges.json", "/S", {{"a", "error"}});
  reload();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"error", "/S/a"}}));
}

TEST_F(BadgeStateTest, UnreadableFilesAreReportedAndRetriedUndatableOnesSkippedQuietly) {
  files_.addFolder(statePath("badges-dir.json"));
  writeState("badges.json", "/S", {{"a", "synced"}});
  faulty_.failRead(statePath("badges.json"), EACCES);
  reload();
  EXPECT_EQ(logger_.takeLines(),
            (Lines{{LogLevel::kError, "état illisible (badges-dir.json) : « " +
                                          statePath("badges-dir.json") + " » : c'est un dossier"},
                   {LogLevel::kError, "état illisible (badges.json) : « " +
                                          statePath("badges.json") + " » : permission refusée"}}));
  faulty_.clear();
  reload();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"synced", "/S/a"}}));
  logger_.takeLines();
  // A file that cannot be dated is skipped quietly: still listed, still held.
  faulty_.failDate(statePath("badges.json"), EACCES);
  writeState("badges.json", "/S", {});
  reload();
  EXPECT_EQ(logger_.lines.size(), 1u);  // badges-dir.json, still unreadable
  EXPECT_TRUE(controller_.pushes.empty());
  EXPECT_EQ(badgeFor("/S/a"), "synced");
}

TEST_F(BadgeStateTest, ListingFailuresAreLoggedOncePerDistinctErrorAndChangeNothing) {
  writeState("badges.json", "/S", {{"a", "synced"}});
  reloadQuietly();
  const auto failure = [](const std::string& reason) {
    return Line{LogLevel::kError,
                "lecture impossible : « " + std::string(kStateDir) + " » : " + reason};
  };
  faulty_.failListing(kStateDir, ENOENT);
  reload();
  reload();
  EXPECT_EQ(logger_.takeLines(), Lines{failure("aucun fichier ou dossier de ce nom")});
  EXPECT_TRUE(controller_.pushes.empty());
  EXPECT_EQ(badgeFor("/S/a"), "synced");
  // Listed again, then the same failure: still the last one logged.
  faulty_.clear();
  reload();
  faulty_.failListing(kStateDir, ENOENT);
  reload();
  EXPECT_TRUE(logger_.takeLines().empty());
  // Two errors that read alike are still two errors.
  faulty_.failListing(kStateDir, EMFILE);
  reload();
  faulty_.failListing(kStateDir, ENFILE);
  reload();
  EXPECT_EQ(logger_.takeLines(),
            (Lines{failure("trop de fichiers ouverts"), failure("trop de fichiers ouverts")}));
}

TEST_F(BadgeStateTest, StatusesAndKeysCompareUnderCanonicalEquivalence) {
  writeState("badges.json", "/S", {{"caf\u00E9", "synced"}, {"x", "r\u00E9gl\u00E9"}});
  reloadQuietly();
  writeState("badges.json", "/S", {{"cafe\u0301", "synced"}, {"x", "re\u0301gle\u0301"}});
  reload();
  EXPECT_TRUE(controller_.pushes.empty());
}

TEST_F(BadgeStateTest, AnswersUnderStandardisedRootsAndStaysSilentOutsideThem) {
  writeState("badges.json", "/Volumes/Data/Sync/./",
             {{"a/b.txt", "synced"}, {"", "error"}, {"/c", "synced"}});
  reload();
  EXPECT_EQ(badgeFor("/Volumes/Data/Sync/a/b.txt"), "synced");
  EXPECT_EQ(badgeFor("/Volumes/Data/Sync/a/./c/../b.txt"), "synced");
  EXPECT_EQ(badgeFor("/Volumes/Data/Sync/a/"), "");  // a folder with no entry of its own
  EXPECT_EQ(badgeFor("/Volumes/Data/Sync/c"), "");   // a key with a leading "/" never matches
  EXPECT_EQ(badgeFor("/Volumes/Data/Sync"), std::nullopt);  // the root itself
  EXPECT_EQ(badgeFor("/Volumes/Data/Sync/"), std::nullopt);
  EXPECT_EQ(badgeFor("/Volumes/Data/Sync2/x.txt"), std::nullopt);
  EXPECT_EQ(badgeFor("/Volumes/Data"), std::nullopt);
}

TEST_F(BadgeStateTest, TheDeepestRootWins) {
  writeState("badges-outer.json", "/V/Sync",
             {{"g.txt", "synced"}, {"Sub", "error"}, {"Sub/f.txt", "error"}});
  writeState("badges-inner.json", "/V/Sync/Sub", {{"f.txt", "syncing"}});
  reload();
  EXPECT_EQ(badgeFor("/V/Sync/Sub/f.txt"), "syncing");
  EXPECT_EQ(badgeFor("/V/Sync/g.txt"), "synced");
  EXPECT_EQ(badgeFor("/V/Sync/Sub"), std::nullopt);  // the inner root itself
}

TEST_F(BadgeStateTest, TheRootFolderOfTheDiskHoldsEveryItem) {
  writeState("badges.json", "/", {{"a", "synced"}, {"b/c", "error"}});
  reload();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"error", "/b/c"}, {"synced", "/a"}}));
  EXPECT_EQ(badgeFor("/a"), "synced");
  EXPECT_EQ(badgeFor("/b/c"), "error");
  EXPECT_EQ(badgeFor("/b"), "");
  EXPECT_EQ(badgeFor("/"), std::nullopt);
}

TEST_F(BadgeStateTest, AccentsMatchInEitherFormInRootsKeysAndItems) {
  writeState("badges.json", "/Users/u/R\u00E9sum\u00E9s", {{"caf\u00E9/menu.txt", "synced"}});
  writeState("badges-2.json", "/Users/u/Nai\u0308f", {{"e\u0301t\u00E9.txt", "conflict"}});
  reload();
  EXPECT_EQ(badgeFor("/Users/u/Re\u0301sume\u0301s/cafe\u0301/menu.txt"), "synced");
  EXPECT_EQ(badgeFor("/Users/u/Na\u00EFf/\u00E9t\u00E9.txt"), "conflict");
  EXPECT_EQ(badgeFor("/Users/u/R\u00E9sum\u00E9s\u0301/x"), std::nullopt);
}

}  // namespace
}  // namespace tessvik::testing
