// Badge requests answered from memory.
#include "testing/test_support.h"

namespace tessvik::testing {
namespace {

class LookupTest : public ExtensionTest {};

TEST_F(LookupTest, AnswersUnderStandardisedRootsAndStaysSilentOutsideThem) {
  writeState("badges.json", "/Volumes/Data/Sync/./", {{"a/b.txt", "synced"}, {"", "error"}});
  start();
  EXPECT_EQ(badgeFor("/Volumes/Data/Sync/a/b.txt"), "synced");
  EXPECT_EQ(badgeFor("/Volumes/Data/Sync/a/./c/../b.txt"), "synced");
  EXPECT_EQ(badgeFor("/Volumes/Data/Sync/a/"), "");         // a folder with no entry of its own
  EXPECT_EQ(badgeFor("/Volumes/Data/Sync/zz"), "");         // unlisted
  EXPECT_EQ(badgeFor("/Volumes/Data/Sync"), std::nullopt);  // the root itself
  EXPECT_EQ(badgeFor("/Volumes/Data/Sync/"), std::nullopt);
  EXPECT_EQ(badgeFor("/Volumes/Data/Sync2/x.txt"), std::nullopt);
  EXPECT_EQ(badgeFor("/Volumes/Data"), std::nullopt);
}

TEST_F(LookupTest, TheDeepestRootWins) {
  writeState("badges-outer.json", "/V/Sync",
             {{"g.txt", "synced"}, {"Sub", "error"}, {"Sub/f.txt", "error"}});
  writeState("badges-inner.json", "/V/Sync/Sub", {{"f.txt", "syncing"}});
  start();
  EXPECT_EQ(badgeFor("/V/Sync/Sub/f.txt"), "syncing");
  EXPECT_EQ(badgeFor("/V/Sync/g.txt"), "synced");
  EXPECT_EQ(badgeFor("/V/Sync/Sub"), std::nullopt);  // the inner root itself
}

TEST_F(LookupTest, AnswersWithTheUrlAsTheHostGaveIt) {
  writeState("badges.json", "/S", {{"a", "synced"}});
  start();
  controller_.takePushes();
  extension().requestBadgeIdentifier(FileUrl::fromPath("/S/x/../a", false));
  EXPECT_EQ(controller_.takePushes(),
            (std::vector<RecordingController::BadgePush>{{"synced", "/S/x/../a"}}));
}

TEST_F(LookupTest, AccentsMatchInEitherFormInRootsKeysAndItems) {
  writeState("badges.json", "/Users/u/R\u00E9sum\u00E9s", {{"caf\u00E9/menu.txt", "synced"}});
  writeState("badges-2.json", "/Users/u/Nai\u0308f", {{"e\u0301t\u00E9.txt", "conflict"}});
  start();
  EXPECT_EQ(badgeFor("/Users/u/Re\u0301sume\u0301s/cafe\u0301/menu.txt"), "synced");
  EXPECT_EQ(badgeFor("/Users/u/Na\u00EFf/\u00E9t\u00E9.txt"), "conflict");
  EXPECT_EQ(badgeFor("/Users/u/R\u00E9sum\u00E9s\u0301/x"), std::nullopt);
}

TEST_F(LookupTest, KeysWithALeadingSlashNeverMatch) {
  writeState("badges.json", "/S", {{"/docs/report.pdf", "synced"}});
  start();
  EXPECT_EQ(badgeFor("/S/docs/report.pdf"), "");
}

TEST_F(LookupTest, AnswersFollowReloadsAndStopWhenTheFileGoes) {
  writeState("badges.json", "/S", {{"a", "syncing"}});
  start();
  EXPECT_EQ(badgeFor("/S/a"), "syncing");
  writeState("badges.json", "/S", {{"a", "synced"}});
  tick();
  EXPECT_EQ(badgeFor("/S/a"), "synced");
  removeState("badges.json");
  tick();
  EXPECT_EQ(badgeFor("/S/a"), std::nullopt);
}

TEST_F(LookupTest, NothingIsAnsweredBeforeAnyStateIsRead) {
  start();
  EXPECT_EQ(badgeFor("/anything"), std::nullopt);
  const auto calls = files_.calls.readFile + files_.calls.listFolder;
  badgeFor("/S/a");
  EXPECT_EQ(files_.calls.readFile + files_.calls.listFolder, calls);  // never touches the disk
}

}  // namespace
}  // namespace tessvik::testing
