// Start-up, badge registration, the polling timer's lifetime, and the badge
// request.
#include "extension/finder_sync.h"

#include "testing/test_support.h"

namespace tessvik::testing {
namespace {

using Line = RecordingLogger::Line;
using Pushes = std::vector<RecordingController::BadgePush>;

TEST_F(ExtensionTest, StartsByLoggingTheStateFolderThenRegistersFourBadges) {
  start();
  ASSERT_FALSE(logger_.lines.empty());
  EXPECT_EQ(logger_.lines.front(), (Line{LogLevel::kDefault,
                                         "extension démarrée, dossier d'état : "
                                         "/Users/u/Library/Application Support/tessvik"}));
  ASSERT_EQ(controller_.images.size(), 4u);
  const char* identifiers[] = {"synced", "syncing", "conflict", "error"};
  const char* symbols[] = {"checkmark.circle.fill", "arrow.triangle.2.circlepath.circle.fill",
                           "exclamationmark.triangle.fill", "xmark.circle.fill"};
  const char* labels[] = {"Synchronis\u00E9", "Synchronisation en cours",
                          "Conflit \u00E0 r\u00E9gler", "Erreur de synchronisation"};
  const NamedColor accents[] = {NamedColor::kSystemGreen, NamedColor::kSystemBlue,
                                NamedColor::kSystemOrange, NamedColor::kSystemRed};
  for (int i = 0; i < 4; ++i) {
    const auto& badge = controller_.images[i];
    EXPECT_EQ(badge.identifier, identifiers[i]);
    EXPECT_EQ(badge.label, labels[i]);
    const SymbolConfiguration expected{64.0, FontWeight::kBold,
                                       std::vector<NamedColor>{NamedColor::kWhite, accents[i]}};
    EXPECT_EQ(badge.image, (SymbolImage{symbols[i], labels[i], expected}));
  }
}

TEST_F(ExtensionTest, AMissingSymbolSkipsOnlyItsBadge) {
  images_.missing = {"arrow.triangle.2.circlepath.circle.fill"};
  start();
  ASSERT_EQ(controller_.images.size(), 3u);
  EXPECT_EQ(controller_.images[0].identifier, "synced");
  EXPECT_EQ(controller_.images[1].identifier, "conflict");
  EXPECT_EQ(controller_.images[2].identifier, "error");
  EXPECT_EQ(logger_.lines.at(1),
            (Line{LogLevel::kError,
                  "image de pastille introuvable : arrow.triangle.2.circlepath.circle.fill"}));
}

TEST_F(ExtensionTest, TheStateFolderIsUnderTheRealHomeOrElseTheProcessHome) {
  users_.home = std::string("/home/b\xE9note");  // ill-formed bytes become U+FFFD
  start();
  EXPECT_EQ(logger_.lines.front().message,
            "extension démarrée, dossier d'état : "
            "/home/b\uFFFDnote/Library/Application Support/tessvik");
  users_.home.reset();
  logger_.lines.clear();
  start();
  EXPECT_EQ(logger_.lines.front().message,
            "extension démarrée, dossier d'état : "
            "/Users/u/Library/Containers/tessvik/Data/Library/Application Support/tessvik");
}

TEST_F(ExtensionTest, StartMessageIsSkippedWhenTheDefaultLevelIsOff) {
  logger_.defaultEnabled = false;
  start();
  for (const Line& line : logger_.lines) {
    EXPECT_FALSE(line.message.starts_with("extension démarrée")) << line.message;
  }
}

TEST_F(ExtensionTest, FirstReloadRunsInsideStartAndTheTimerKeepsPolling) {
  files_.remove(kStateDir);  // a missing state folder does not stop start-up
  start();
  EXPECT_EQ(controller_.images.size(), 4u);
  EXPECT_EQ(logger_.lines.back().level, LogLevel::kError);
  writeState("badges.json", "/Users/u/Sync", {{"a.txt", "synced"}});
  tick();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"synced", "/Users/u/Sync/a.txt"}}));
}

TEST_F(ExtensionTest, AReleasedExtensionLeavesATimerWhoseTicksDoNothing) {
  start();
  release();
  const int listings = files_.calls.listFolder;
  writeState("badges.json", "/Users/u/Sync", {{"a.txt", "synced"}});
  tick();
  EXPECT_EQ(runLoop_.timerCount(), 1u);
  EXPECT_EQ(files_.calls.listFolder, listings);
  EXPECT_TRUE(controller_.pushes.empty());
}

TEST_F(ExtensionTest, ABadgeRequestIsAnsweredWithTheUrlAsTheHostGaveIt) {
  writeState("badges.json", "/S", {{"a", "synced"}});
  start();
  controller_.takePushes();
  extension().requestBadgeIdentifier(FileUrl::fromPath("/S/x/../a", false));
  extension().requestBadgeIdentifier(FileUrl::fromPath("/S/b", false));
  extension().requestBadgeIdentifier(FileUrl::fromPath("/S", true));      // the root itself
  extension().requestBadgeIdentifier(FileUrl::fromPath("/Other", true));  // outside every root
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"", "/S/b"}, {"synced", "/S/x/../a"}}));
}

}  // namespace
}  // namespace tessvik::testing
