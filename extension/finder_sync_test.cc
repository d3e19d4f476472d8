// Start-up, badge registration, the polling timer's lifetime, and the badge
// request.
#include "extension/finder_sync.h"

#include "extension/badge_catalogue.h"

#include "extension/extension_test_support.h"

namespace tessvik::testing {
namespace {

using Line = RecordingLogger::Line;
using Pushes = std::vector<RecordingController::BadgePush>;

// What the host is given for a row of the catalogue: the symbol at 64 pt,
// bold, white on the row's colour, described by its label.
RecordingController::BadgeImage registered(const BadgeDefinition& row) {
  const SymbolConfiguration configuration{
      kBadgePointSize, FontWeight::kBold, {{NamedColor::kWhite, row.accent}}};
  return {SymbolImage{std::string(row.symbolName), std::string(row.label), configuration},
          std::string(row.label), std::string(row.identifier)};
}

TEST_F(ExtensionTest, StartsByLoggingTheStateFolderThenRegistersTheBadgesItHasImagesFor) {
  images_.missing = {"exclamationmark.triangle.fill"};  // skips only its badge
  start();
  EXPECT_EQ(logger_.takeLines(),
            (std::vector<Line>{{LogLevel::kDefault,
                                "extension démarrée, dossier d'état : "
                                "/Users/u/Library/Application Support/tessvik"},
                               {LogLevel::kError,
                                "image de pastille introuvable : exclamationmark.triangle.fill"}}));
  std::vector<RecordingController::BadgeImage> expected;
  for (const BadgeDefinition& row : kBadgeCatalogue) {
    if (row.symbolName != "exclamationmark.triangle.fill") expected.push_back(registered(row));
  }
  EXPECT_EQ(controller_.images, expected);
}

TEST_F(ExtensionTest, TheStateFolderIsUnderTheRealHomeOrElseTheProcessHome) {
  users_.home = std::string("/home/b\xE9note");  // ill-formed bytes become U+FFFD
  start();
  users_.home.reset();
  start();
  logger_.defaultEnabled = false;  // then no start message at all
  start();
  std::erase_if(logger_.lines, [](const Line& line) { return line.level == LogLevel::kError; });
  const std::string started = "extension démarrée, dossier d'état : ";
  EXPECT_EQ(
      logger_.lines,
      (std::vector<Line>{
          {LogLevel::kDefault, started + "/home/b\uFFFDnote/Library/Application Support/tessvik"},
          {LogLevel::kDefault, started + "/Users/u/Library/Containers/tessvik/Data/Library/"
                                         "Application Support/tessvik"}}));
}

TEST_F(ExtensionTest, FirstReloadRunsInsideStartAndTheTimerKeepsPollingUntilRelease) {
  files_.remove(kStateDir);  // a missing state folder does not stop start-up
  start();
  EXPECT_EQ(controller_.images.size(), 4u);
  EXPECT_EQ(logger_.lines.back().level, LogLevel::kError);
  writeState("badges.json", "/Users/u/Sync", {{"a.txt", "synced"}});
  runLoop_.fireTimers();
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"synced", "/Users/u/Sync/a.txt"}}));
  // What reading and decoding freed goes back to the system at the first
  // quiet tick after files changed, once.
  EXPECT_EQ(memory_.returned, 0);
  runLoop_.fireTimers();
  runLoop_.fireTimers();
  EXPECT_EQ(memory_.returned, 1);
  // A released extension leaves a timer whose ticks do nothing.
  extension_.reset();
  const int listings = files_.listings;
  runLoop_.fireTimers();
  EXPECT_EQ(files_.listings, listings);
}

TEST_F(ExtensionTest, ABadgeRequestIsAnsweredWithTheUrlAsTheHostGaveIt) {
  writeState("badges.json", "/S", {{"a", "synced"}});
  start();
  controller_.takePushes();
  extension().requestBadgeIdentifier(FileUrl::fromPath("/S/x/../a", false));
  extension().requestBadgeIdentifier(FileUrl::fromPath("/S/b", false));
  extension().requestBadgeIdentifier(FileUrl::fromPath("/S", true));  // the root itself
  EXPECT_EQ(controller_.takePushes(), (Pushes{{"", "/S/b"}, {"synced", "/S/x/../a"}}));
}

}  // namespace
}  // namespace tessvik::testing
