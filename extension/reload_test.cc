// The reload: what it reads, what it pushes, what it logs, what it keeps.
#include "testing/test_support.h"

namespace tessvik::testing {
namespace {

using Push = RecordingController::BadgePush;
using Pushes = std::vector<Push>;
using Line = RecordingLogger::Line;
using Lines = std::vector<Line>;
using Paths = std::vector<std::string>;

class ReloadTest : public ExtensionTest {
 protected:
  // Starts and forgets the start-up's own log line and badge registrations.
  void startQuietly() {
    start();
    logger_.lines.erase(logger_.lines.begin());
  }
};

TEST_F(ReloadTest, AnEmptyStateFolderChangesNothing) {
  startQuietly();
  tick();
  EXPECT_TRUE(controller_.pushes.empty());
  EXPECT_TRUE(controller_.directorySets.empty());
  EXPECT_TRUE(logger_.lines.empty());
}

TEST_F(ReloadTest, FirstLoadPushesEveryItemLogsEachFileAndObservesTheRootsOnce) {
  writeState("badges.json", "/Users/u/Sync",
             {{"docs/report.pdf", "synced"}, {"a.txt", "syncing"}, {"", "conflict"}});
  writeState("badges-2.json", "/Volumes/Data/Photos", {{"x.jpg", "error"}});
  startQuietly();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"conflict", "/Users/u/Sync"},
                                              {"error", "/Volumes/Data/Photos/x.jpg"},
                                              {"synced", "/Users/u/Sync/docs/report.pdf"},
                                              {"syncing", "/Users/u/Sync/a.txt"}}));
  EXPECT_EQ(controller_.directorySets,
            (std::vector<Paths>{{"/Users/u/Sync", "/Volumes/Data/Photos"}}));
  EXPECT_EQ(logger_.takeLines(),
            (Lines{{LogLevel::kDefault, "état chargé : 1 élément(s) sous /Volumes/Data/Photos"},
                   {LogLevel::kDefault, "état chargé : 3 élément(s) sous /Users/u/Sync"}}));
}

TEST_F(ReloadTest, AnIdleTickListsOnceQueriesEachFileAndReadsNothing) {
  for (int i = 0; i < 5; ++i) {
    writeState("badges-" + std::to_string(i) + ".json", "/r" + std::to_string(i),
               {{"f", "synced"}});
  }
  startQuietly();
  files_.calls = {};
  logger_.takeLines();
  controller_.takePushes();
  controller_.directorySets.clear();
  tick();
  EXPECT_EQ(files_.calls.listFolder, 1);
  EXPECT_EQ(files_.calls.modificationTime, 5);
  EXPECT_EQ(files_.calls.readFile, 0);
  EXPECT_TRUE(controller_.pushes.empty());
  EXPECT_TRUE(controller_.directorySets.empty());
  EXPECT_TRUE(logger_.lines.empty());
}

TEST_F(ReloadTest, ARewritePushesOnlyWhatChanged) {
  writeState("badges.json", "/S", {{"a", "syncing"}, {"b", "synced"}, {"c", "synced"}});
  startQuietly();
  controller_.takePushes();
  // a changes, b is dropped, c stays, d is new with the empty status.
  writeState("badges.json", "/S", {{"c", "synced"}, {"d", ""}, {"a", "synced"}});
  tick();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"", "/S/b"}, {"", "/S/d"}, {"synced", "/S/a"}}));
  EXPECT_EQ(controller_.directorySets.size(), 2u);
}

TEST_F(ReloadTest, SameContentWithANewDateIsReadLoggedAndAnnouncedButPushesNothing) {
  writeState("badges.json", "/S", {{"a", "synced"}});
  startQuietly();
  controller_.takePushes();
  logger_.takeLines();
  writeState("badges.json", "/S", {{"a", "synced"}});
  tick();
  EXPECT_TRUE(controller_.pushes.empty());
  EXPECT_EQ(logger_.takeLines(),
            (Lines{{LogLevel::kDefault, "état chargé : 1 élément(s) sous /S"}}));
  EXPECT_EQ(controller_.directorySets.size(), 2u);
}

TEST_F(ReloadTest, DatesAreComparedToTheNanosecond) {
  files_.writeFile(statePath("badges.json"), badgeJson("/S", {{"a", "synced"}}), FileTime{5, 1});
  startQuietly();
  controller_.takePushes();
  // Same second, one nanosecond later: a new date.
  files_.writeFile(statePath("badges.json"), badgeJson("/S", {{"a", "error"}}), FileTime{5, 2});
  tick();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"error", "/S/a"}}));
  // A rewrite that keeps the date is never seen.
  files_.writeFile(statePath("badges.json"), badgeJson("/S", {{"a", "synced"}}), FileTime{5, 2});
  tick();
  EXPECT_TRUE(controller_.pushes.empty());
}

TEST_F(ReloadTest, ADeletedFileClearsItsItemsAndTheObservedSet) {
  writeState("badges.json", "/S", {{"a", "synced"}, {"b/c", "error"}});
  startQuietly();
  controller_.takePushes();
  removeState("badges.json");
  tick();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"", "/S/a"}, {"", "/S/b/c"}}));
  EXPECT_EQ(controller_.directorySets.back(), Paths{});
  tick();
  EXPECT_EQ(controller_.directorySets.size(), 2u);  // nothing more to announce
}

TEST_F(ReloadTest, ANewRootPushesEveryItemUnderItAndNothingUnderTheOldOne) {
  writeState("badges.json", "/Old", {{"a", "synced"}, {"b", "synced"}});
  writeState("badges-other.json", "/Old", {{"z", "synced"}});
  startQuietly();
  controller_.takePushes();
  writeState("badges.json", "/New/", {{"a", "synced"}});
  tick();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"synced", "/New/a"}}));
  EXPECT_EQ(controller_.directorySets.back(), (Paths{"/New", "/Old"}));
}

TEST_F(ReloadTest, TwoFilesWithTheSameRootAreDiffedSeparatelyAndObservedOnce) {
  writeState("badges-a.json", "/S", {{"shared", "synced"}});
  writeState("badges-b.json", "/S", {{"shared", "synced"}, {"b", "error"}});
  startQuietly();
  EXPECT_EQ(controller_.directorySets.back(), Paths{"/S"});
  controller_.takePushes();
  writeState("badges-a.json", "/S", {});
  tick();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"", "/S/shared"}}));
}

TEST_F(ReloadTest, OnlyNamesOfTheBadgeStatePatternAreRead) {
  const std::string json = badgeJson("/S", {{"a", "synced"}});
  for (const char* name :
       {"Badges.json", "badges.JSON", "badges.json.tmp", "state.json", "badges", "xbadges.json"}) {
    writeState(name, json);
  }
  files_.writeFile(std::string(kStateDir) + "/sub/badges.json", json, FileTime{1, 0});
  writeState("badges_home.json", badgeJson("/Home", {}));
  startQuietly();
  EXPECT_TRUE(controller_.pushes.empty());
  EXPECT_EQ(controller_.directorySets, (std::vector<Paths>{{"/Home"}}));
  EXPECT_EQ(logger_.takeLines(),
            (Lines{{LogLevel::kDefault, "état chargé : 0 élément(s) sous /Home"}}));
}

TEST_F(ReloadTest, BrokenFilesAreReportedAtEveryTickAndKeepTheLastGoodState) {
  writeState("badges.json", "/S", {{"a", "synced"}});
  startQuietly();
  controller_.takePushes();
  logger_.takeLines();
  const std::vector<std::pair<std::string, std::string>> broken = {
      {"{\"root\":\"/S\",\"files\":{\"a\":\"error\"", "le document est incomplet"},
      {"{\"root\":\"/S\",\"files\":{\"a\" \"error\"}}",
       "la structure du document est invalide (virgule, accolade ou clé manquante ou en trop)"},
      {"[1,2]", "le document n'est pas un objet JSON"},
      {"{\"files\":{}}", "le membre « root » est absent"},
      {"{\"Root\":\"/S\",\"files\":{}}", "le membre « root » est absent"},
      {"{\"root\":null,\"files\":{}}", "le membre « root » n'est pas une chaîne"},
      {"{\"root\":\"/S\"}", "le membre « files » est absent"},
      {"{\"root\":\"/S\",\"files\":[]}", "le membre « files » n'est pas un objet"},
      {"{\"root\":\"/S\",\"files\":{\"a\":\"error\",\"b\":1}}",
       "la valeur de « b » dans « files » n'est pas une chaîne"},
      {"", "le fichier est vide"},
  };
  for (const auto& [content, reason] : broken) {
    writeState("badges.json", content);
    tick();
    tick();
    const Line expected{LogLevel::kError, "état illisible (badges.json) : " + reason};
    EXPECT_EQ(logger_.takeLines(), (Lines{expected, expected})) << content;
    EXPECT_TRUE(controller_.pushes.empty()) << content;
  }
  EXPECT_TRUE(controller_.directorySets.size() == 1u);
  EXPECT_EQ(badgeFor("/S/a"), "synced");
  // Whole again: diffed against the last good state.
  writeState("badges.json", "/S", {{"a", "error"}});
  tick();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"error", "/S/a"}}));
}

TEST_F(ReloadTest, UnreadableEntriesAreReportedWithTheirFrenchReason) {
  files_.addFolder(statePath("badges-dir.json"));
  files_.addSpecial(statePath("badges-fifo.json"), FileTime{1, 0});
  startQuietly();
  EXPECT_EQ(logger_.takeLines(),
            (Lines{{LogLevel::kError, "état illisible (badges-dir.json) : « " +
                                          statePath("badges-dir.json") + " » : c'est un dossier"},
                   {LogLevel::kError, "état illisible (badges-fifo.json) : « " +
                                          statePath("badges-fifo.json") +
                                          " » : ce n'est pas un fichier ordinaire"}}));
}

TEST_F(ReloadTest, AFileWhoseDateCannotBeReadIsSkippedQuietlyAndKept) {
  writeState("badges.json", "/S", {{"a", "synced"}});
  startQuietly();
  controller_.takePushes();
  logger_.takeLines();
  faulty_.failDate(statePath("badges.json"), EACCES);
  tick();
  EXPECT_TRUE(logger_.lines.empty());
  EXPECT_TRUE(controller_.pushes.empty());
  EXPECT_EQ(controller_.directorySets.size(), 1u);  // not removed: still listed
  EXPECT_EQ(badgeFor("/S/a"), "synced");
}

TEST_F(ReloadTest, AFailedReadIsRetriedAtTheNextTick) {
  writeState("badges.json", "/S", {{"a", "synced"}});
  faulty_.failRead(statePath("badges.json"), EACCES);
  startQuietly();
  EXPECT_EQ(logger_.takeLines(),
            (Lines{{LogLevel::kError, "état illisible (badges.json) : « " +
                                          statePath("badges.json") + " » : permission refusée"}}));
  faulty_.clear();
  tick();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"synced", "/S/a"}}));
}

TEST_F(ReloadTest, ListingFailuresAreLoggedOncePerDistinctErrorAndChangeNothing) {
  writeState("badges.json", "/S", {{"a", "synced"}});
  startQuietly();
  controller_.takePushes();
  logger_.takeLines();
  const Line missing{LogLevel::kError, "lecture impossible : « " + std::string(kStateDir) +
                                           " » : aucun fichier ou dossier de ce nom"};
  const Line denied{LogLevel::kError,
                    "lecture impossible : « " + std::string(kStateDir) + " » : permission refusée"};
  faulty_.failListing(kStateDir, ENOENT);
  tick();
  tick();
  EXPECT_EQ(logger_.takeLines(), Lines{missing});
  EXPECT_TRUE(controller_.pushes.empty());
  EXPECT_EQ(badgeFor("/S/a"), "synced");  // the state stays in force
  faulty_.clear();
  tick();
  faulty_.failListing(kStateDir, ENOENT);
  tick();
  EXPECT_TRUE(logger_.takeLines().empty());  // same error as the last one logged
  faulty_.failListing(kStateDir, EACCES);
  tick();
  faulty_.failListing(kStateDir, ENOENT);
  tick();
  EXPECT_EQ(logger_.takeLines(), (Lines{denied, missing}));
}

TEST_F(ReloadTest, AMissingStateFolderDoesNotStopStartUp) {
  files_.remove(kStateDir);
  startQuietly();
  EXPECT_EQ(controller_.images.size(), 4u);
  EXPECT_EQ(runLoop_.timerCount(), 1u);
  EXPECT_EQ(logger_.lines.size(), 1u);
  writeState("badges.json", "/S", {{"a", "synced"}});
  tick();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"synced", "/S/a"}}));
}

TEST_F(ReloadTest, StatusesAndKeysCompareUnderCanonicalEquivalence) {
  writeState("badges.json", "/S", {{"caf\u00E9", "synced"}, {"x", "r\u00E9gl\u00E9"}});
  startQuietly();
  controller_.takePushes();
  // Same items, decomposed: nothing changed.
  writeState("badges.json", "/S", {{"cafe\u0301", "synced"}, {"x", "re\u0301gle\u0301"}});
  tick();
  EXPECT_TRUE(controller_.pushes.empty());
}

TEST_F(ReloadTest, UnknownStatusesPassThroughUnchanged) {
  writeState("badges.json", "/S", {{"a", "Synced"}, {"b", "paused"}});
  startQuietly();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"Synced", "/S/a"}, {"paused", "/S/b"}}));
}

}  // namespace
}  // namespace tessvik::testing
