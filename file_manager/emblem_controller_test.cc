// The emblem bookkeeping: which icon a badge shows, and which held items a
// push or a change of observed folders refreshes, as named or through a link.
#include "file_manager/emblem_controller.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <utility>

#include "extension/badge_catalogue.h"
#include "file_manager/file_manager_test_support.h"

namespace tessvik {
namespace {

// The emblems are scalable: only the palette picks one.
SymbolImage badgeImage(const BadgeDefinition& badge) {
  return SymbolImage{std::string(badge.symbolName), std::nullopt,
                     SymbolConfiguration::withPalette({NamedColor::kWhite, badge.accent})};
}

using Paths = std::set<std::string>;

// "é" precomposed and decomposed.
const std::string kNfcName = "/home/u/Sync/r\xC3\xA9sum\xC3\xA9.txt";
const std::string kNfdName = "/home/u/Sync/re\xCC\x81sume\xCC\x81.txt";

class EmblemControllerTest : public ::testing::Test {
 protected:
  EmblemControllerTest() {
    for (const BadgeDefinition& badge : kBadgeCatalogue) {
      controller_.setBadgeImage(badgeImage(badge), badge.label, badge.identifier);
    }
    controller_.setDirectoryUrls({FileUrl::fromPath("/home/u/Sync", true)});
    // ~/SyncLink is known to be a link (see FileManagerExtensionTest for
    // the items shown before that is known).
    std::string scratch;
    links_.resolve("/home/u/SyncLink/x", scratch);
    links_.takeLinked();
  }
  Paths refreshedByPush(const std::string& path, std::string_view identifier = "error") {
    controller_.setBadgeIdentifier(identifier, FileUrl::fromPath(path, false));
    return std::exchange(refresher_.refreshed, {});
  }
  Paths refreshedByRoots(std::initializer_list<const char*> roots) {
    std::vector<FileUrl> urls;
    for (const char* root : roots) urls.push_back(FileUrl::fromPath(root, true));
    controller_.setDirectoryUrls(urls);
    return std::exchange(refresher_.refreshed, {});
  }

  std::optional<std::string> icon(std::string_view identifier) {
    return controller_.emblemShown("/elsewhere", identifier);
  }

  testing::RecordingRefresher refresher_;
  int resolved_ = 0;
  FolderLinks links_{[this](const std::string& folder) -> std::optional<std::string> {
                       ++resolved_;
                       if (folder.starts_with("/home/u/SyncLink"))
                         return "/home/u/Sync" + folder.substr(16);
                       return folder;
                     },
                     FolderLinks::Resolution::kAtOnce};
  EmblemController controller_{refresher_, links_};
};

TEST_F(EmblemControllerTest, EachBadgeShowsAShippedEmblemOfItsOwnUnderCanonicalEquivalence) {
  // Every badge of the catalogue, and only those, has its emblem drawn at
  // both sizes, and no two badges share one.
  const std::filesystem::path shipped = std::filesystem::path(TESSVIK_EMBLEMS_DIR);
  std::set<std::string> icons;
  for (const BadgeDefinition& badge : kBadgeCatalogue) {
    const std::string name = icon(badge.identifier).value_or("") + ".svg";
    EXPECT_TRUE(std::filesystem::exists(shipped / name)) << name;
    EXPECT_TRUE(std::filesystem::exists(shipped / "16x16" / name)) << name;
    icons.insert(name);
  }
  std::set<std::string> drawn;
  for (const auto& entry : std::filesystem::directory_iterator(shipped)) {
    if (entry.path().extension() == ".svg") drawn.insert(entry.path().filename().string());
  }
  EXPECT_EQ(drawn, icons);
  controller_.setBadgeImage(badgeImage(kBadgeCatalogue[1]), "", "caf\xC3\xA9");
  EXPECT_EQ(icon("cafe\xCC\x81"), "emblem-tessvik-syncing");
  // An image with no shipped emblem leaves its identifier unregistered.
  SymbolImage other = badgeImage(kBadgeCatalogue[0]);
  other.configuration->palette = {NamedColor::kWhite, NamedColor::kSystemRed};
  controller_.setBadgeImage(other, "Autre", "other");
  EXPECT_EQ(icon("other"), std::nullopt);
}

TEST_F(EmblemControllerTest, APushRefreshesAHeldItemUnderEachSpellingWhenItsEmblemChanges) {
  controller_.itemShown("/home/u/Sync/a");
  controller_.itemShown("/home/u/Sync/a");
  controller_.itemShown(kNfdName);  // the file system holds the name decomposed
  controller_.itemShown(kNfcName);
  controller_.itemShown("/home/u/SyncLink/a");  // ~/SyncLink names ~/Sync
  EXPECT_EQ(refreshedByPush("/home/u/Sync/./docs/../a"),
            (Paths{"/home/u/Sync/a", "/home/u/SyncLink/a"}));
  EXPECT_EQ(refreshedByPush(kNfcName), (Paths{kNfcName, kNfdName}));
  for (const std::string& path :
       {std::string("/home/u/Sync/a"), kNfdName, std::string("/home/u/SyncLink/a")}) {
    controller_.itemGone(path);
  }
  EXPECT_EQ(refreshedByPush("/home/u/Sync/a", "synced"), Paths{"/home/u/Sync/a"});
  EXPECT_EQ(refreshedByPush(kNfdName, "synced"), Paths{kNfcName});
  // Identifiers differ by case: none is shown, and that is now held.
  EXPECT_EQ(controller_.emblemShown(kNfcName, "Synced"), std::nullopt);
  EXPECT_TRUE(refreshedByPush(kNfcName, "").empty());  // the same emblem: none either way
  controller_.itemGone("/home/u/Sync/a");
  controller_.itemGone(kNfcName);
  controller_.itemGone(kNfcName);  // no longer held: nothing happens
  EXPECT_TRUE(refreshedByPush("/home/u/Sync/a").empty());
  EXPECT_EQ(resolved_, 2);  // each folder once
}

TEST_F(EmblemControllerTest, HeldItemsUnderAFolderThatJoinedOrLeftAreRefreshed) {
  for (const char* path : {"/home/u/Sync/a", "/srv/Team/b", "/srv/Team/sub/c", "/srv/Other/d"}) {
    controller_.itemShown(path);
  }
  EXPECT_EQ(refreshedByRoots({"/srv/Team/", "/home/u/Sync"}),
            (Paths{"/srv/Team/b", "/srv/Team/sub/c"}));
  EXPECT_TRUE(refreshedByRoots({"/home/u/Sync", "/srv/Team"}).empty());
  // A deeper folder decides the badges below it.
  EXPECT_EQ(refreshedByRoots({"/srv/Team", "/srv/Team/sub"}),
            (Paths{"/home/u/Sync/a", "/srv/Team/sub/c"}));
  const int resolved = resolved_;  // a link may have moved with the folders
  controller_.itemShown("/srv/Other/d");
  EXPECT_EQ(resolved_, resolved + 1);
  // A folder resolved before the move may be stale: resolved again.
  controller_.itemShown("/home/u/SyncLink/b");
  refreshedByRoots({"/srv/Team"});
  EXPECT_TRUE(links_.takeLinked().empty());
  EXPECT_EQ(links_.takeLinked(), std::vector<std::string>{"/home/u/SyncLink"});
}

TEST_F(EmblemControllerTest, AnItemStaysHeldWhileAnotherSpellingOfItIsShown) {
  for (const std::string& path :
       {kNfcName, kNfdName, std::string("/home/u/Sync/b"), std::string("/home/u/SyncLink/b")}) {
    controller_.itemShown(path);
  }
  controller_.itemGone(kNfcName);
  controller_.itemGone("/home/u/Sync/b");
  EXPECT_EQ(refreshedByPush(kNfcName), Paths{kNfdName});
  EXPECT_EQ(refreshedByPush("/home/u/Sync/b"), Paths{"/home/u/SyncLink/b"});
}

}  // namespace
}  // namespace tessvik
