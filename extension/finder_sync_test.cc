// Start-up, badge registration and the polling timer's lifetime.
#include "extension/finder_sync.h"

#include "testing/test_support.h"

namespace tessvik::testing {
namespace {

using Line = RecordingLogger::Line;

TEST_F(ExtensionTest, StartsByLoggingTheStateFolderThenRegistersFourBadges) {
  start();
  ASSERT_FALSE(logger_.lines.empty());
  EXPECT_EQ(logger_.lines.front(), (Line{LogLevel::kDefault,
                                         "extension démarrée, dossier d'état : "
                                         "/Users/u/Library/Application Support/tessvik"}));
  ASSERT_EQ(controller_.images.size(), 4u);
  const char* identifiers[] = {"synced", "syncing", "conflict", "error"};
  const char* labels[] = {"Synchronisé", "Synchronisation en cours", "Conflit à régler",
                          "Erreur de synchronisation"};
  const NamedColor accents[] = {NamedColor::kSystemGreen, NamedColor::kSystemBlue,
                                NamedColor::kSystemOrange, NamedColor::kSystemRed};
  for (int i = 0; i < 4; ++i) {
    const auto& badge = controller_.images[i];
    EXPECT_EQ(badge.identifier, identifiers[i]);
    EXPECT_EQ(badge.label, labels[i]);
    EXPECT_EQ(badge.image.accessibilityDescription, labels[i]);
    ASSERT_TRUE(badge.image.configuration);
    EXPECT_EQ(badge.image.configuration->pointSize, 64.0);
    EXPECT_EQ(badge.image.configuration->weight, FontWeight::kBold);
    EXPECT_EQ(badge.image.configuration->palette,
              (std::vector<NamedColor>{NamedColor::kWhite, accents[i]}));
  }
  EXPECT_EQ(std::string(labels[0]).size(), 12u);  // precomposed é
  EXPECT_EQ(std::string(labels[2]).size(), 18u);
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

TEST_F(ExtensionTest, HomeFallsBackToTheProcessHomeWhenTheUserDatabaseHasNone) {
  users_.home.reset();
  start();
  EXPECT_EQ(logger_.lines.front().message,
            "extension démarrée, dossier d'état : "
            "/Users/u/Library/Containers/tessvik/Data/Library/Application Support/tessvik");
}

TEST_F(ExtensionTest, IllFormedHomeBytesBecomeReplacementCharacters) {
  users_.home = std::string("/home/b\xE9note");
  start();
  EXPECT_EQ(logger_.lines.front().message,
            "extension démarrée, dossier d'état : "
            "/home/b\uFFFDnote/Library/Application Support/tessvik");
}

TEST_F(ExtensionTest, FirstReloadRunsInsideStartAndTheTimerKeepsPolling) {
  writeState("badges.json", "/Users/u/Sync", {{"a.txt", "synced"}});
  start();
  EXPECT_EQ(controller_.takePushes(),
            (std::vector<RecordingController::BadgePush>{{"synced", "/Users/u/Sync/a.txt"}}));
  EXPECT_EQ(runLoop_.timerCount(), 1u);
  writeState("badges.json", "/Users/u/Sync", {{"a.txt", "error"}});
  tick();
  EXPECT_EQ(controller_.takePushes(),
            (std::vector<RecordingController::BadgePush>{{"error", "/Users/u/Sync/a.txt"}}));
}

TEST_F(ExtensionTest, AReleasedExtensionLeavesATimerWhoseTicksDoNothing) {
  start();
  release();
  const int listings = files_.calls.listFolder;
  writeState("badges.json", "/Users/u/Sync", {{"a.txt", "synced"}});
  tick();
  tick();
  EXPECT_EQ(runLoop_.timerCount(), 1u);
  EXPECT_EQ(files_.calls.listFolder, listings);
  EXPECT_TRUE(controller_.pushes.empty());
}

TEST_F(ExtensionTest, StartMessageIsSkippedWhenTheDefaultLevelIsOff) {
  logger_.defaultEnabled = false;
  start();
  for (const Line& line : logger_.lines) {
    EXPECT_FALSE(line.message.starts_with("extension démarrée")) << line.message;
  }
}

}  // namespace
}  // namespace tessvik::testing
