// The emblem bookkeeping: what the file manager is shown for each item, what
// is asked of the extension, and which items are refreshed when.
#include "hosts/file_manager/emblem_controller.h"

#include <gtest/gtest.h>

#include <set>

#include "extension/badge_catalogue.h"

namespace tessvik {
namespace {

class RecordingRefresher : public ItemRefresher {
 public:
  void refresh(const std::string& path) override { refreshed.insert(path); }
  std::set<std::string> take() { return std::exchange(refreshed, {}); }
  std::set<std::string> refreshed;
};

SymbolImage badgeImage(const BadgeDefinition& badge) {
  return SymbolImage{
      std::string(badge.symbolName), std::string(badge.label),
      SymbolConfiguration::withPointSize(kBadgePointSize, FontWeight::kBold)
          .applying(SymbolConfiguration::withPalette({NamedColor::kWhite, badge.accent}))};
}

constexpr const char* kGreen = "emblem-tessvik-checkmark-green";
constexpr const char* kBlue = "emblem-tessvik-arrows-blue";
constexpr const char* kRed = "emblem-tessvik-xmark-red";

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
  }

  // What the file manager shows for `path`, with the extension answering
  // `answer` (or not at all) when asked.
  std::optional<std::string> shown(const std::string& path,
                                   std::optional<std::string> answer = std::nullopt) {
    return controller_.emblemForItem(path, false, [&](const FileUrl& url) {
      asked_.push_back(url.path());
      if (answer) controller_.setBadgeIdentifier(*answer, url);
    });
  }
  void push(const std::string& identifier, const std::string& path) {
    controller_.setBadgeIdentifier(identifier, FileUrl::fromPath(path, false));
  }

  RecordingRefresher refresher_;
  EmblemController controller_{refresher_};
  std::vector<std::string> asked_;
};

TEST_F(EmblemControllerTest, EachRegisteredIdentifierShowsItsEmblemAndOthersShowNone) {
  push("synced", "/home/u/Sync/a");
  push("syncing", "/home/u/Sync/b");
  push("error", "/home/u/Sync/c");
  push("Synced", "/home/u/Sync/d");  // never registered: no emblem, and not asked again
  EXPECT_EQ(shown("/home/u/Sync/a"), kGreen);
  EXPECT_EQ(shown("/home/u/Sync/b"), kBlue);
  EXPECT_EQ(shown("/home/u/Sync/c"), kRed);
  EXPECT_EQ(shown("/home/u/Sync/d"), std::nullopt);
  EXPECT_TRUE(asked_.empty());
}

TEST_F(EmblemControllerTest, AnImageWithoutAShippedEmblemLeavesItsIdentifierUnregistered) {
  SymbolImage image = badgeImage(kBadgeCatalogue[0]);
  image.configuration->palette = {NamedColor::kWhite, NamedColor::kSystemRed};
  controller_.setBadgeImage(image, "Autre", "other");
  push("other", "/home/u/Sync/a");
  EXPECT_EQ(shown("/home/u/Sync/a"), std::nullopt);
}

TEST_F(EmblemControllerTest, AnUnknownItemInsideAnObservedFolderIsAskedForOnce) {
  EXPECT_EQ(shown("/home/u/Sync/docs/x.pdf", "syncing"), kBlue);
  EXPECT_EQ(asked_, (std::vector<std::string>{"/home/u/Sync/docs/x.pdf"}));
  // The answer is kept, and answering needed no refresh of the item asked.
  EXPECT_EQ(shown("/home/u/Sync/docs/x.pdf", "error"), kBlue);
  EXPECT_EQ(asked_.size(), 1u);
  EXPECT_TRUE(refresher_.refreshed.empty());
}

TEST_F(EmblemControllerTest, AnItemWithNoAnswerOrTheEmptyOneIsAskedAgainNextTime) {
  EXPECT_EQ(shown("/home/u/Sync/a"), std::nullopt);
  EXPECT_EQ(shown("/home/u/Sync/a", ""), std::nullopt);
  EXPECT_EQ(shown("/home/u/Sync/a", "synced"), kGreen);
  EXPECT_EQ(asked_.size(), 3u);
}

TEST_F(EmblemControllerTest, ItemsOutsideEveryObservedFolderAreNeverAsked) {
  EXPECT_EQ(shown("/home/u/Other/a", "synced"), std::nullopt);
  EXPECT_EQ(shown("/home/u/Syncthing/a", "synced"), std::nullopt);
  EXPECT_EQ(shown("/home/u", "synced"), std::nullopt);
  EXPECT_TRUE(asked_.empty());
}

TEST_F(EmblemControllerTest, OnlyAChangeOfIdentifierRefreshesTheItem) {
  push("synced", "/home/u/Sync/a");
  EXPECT_EQ(refresher_.take(), (std::set<std::string>{"/home/u/Sync/a"}));
  push("synced", "/home/u/Sync/a");
  EXPECT_TRUE(refresher_.take().empty());
  push("error", "/home/u/Sync/a");
  EXPECT_EQ(refresher_.take(), (std::set<std::string>{"/home/u/Sync/a"}));
  push("", "/home/u/Sync/a");
  EXPECT_EQ(refresher_.take(), (std::set<std::string>{"/home/u/Sync/a"}));
  EXPECT_EQ(shown("/home/u/Sync/a"), std::nullopt);
  // The empty identifier for an item that shows nothing changes nothing.
  push("", "/home/u/Sync/b");
  EXPECT_TRUE(refresher_.take().empty());
}

TEST_F(EmblemControllerTest, PathsAreComparedStandardisedAndUnderCanonicalEquivalence) {
  push("synced", "/home/u/Sync/./docs//a");
  EXPECT_EQ(refresher_.take(), (std::set<std::string>{"/home/u/Sync/docs/a"}));
  EXPECT_EQ(shown("/home/u/Sync/docs/a"), kGreen);

  // The sync client wrote the name decomposed; the file system holds it
  // precomposed. The item is refreshed under the file system's name.
  push("syncing", kNfdName);
  EXPECT_TRUE(refresher_.take().contains(kNfcName));
  EXPECT_EQ(shown(kNfcName), kBlue);
  EXPECT_TRUE(asked_.empty());
}

TEST_F(EmblemControllerTest, ARefreshNamesTheItemAsTheFileManagerSpellsIt) {
  // The file system holds the name decomposed; the sync client writes it
  // precomposed.
  EXPECT_EQ(shown(kNfdName), std::nullopt);
  push("error", kNfcName);
  EXPECT_EQ(refresher_.take(), (std::set<std::string>{kNfcName, kNfdName}));
  EXPECT_EQ(shown(kNfdName), kRed);
}

TEST_F(EmblemControllerTest, ItemsLeftOutsideTheObservedFoldersAreForgottenAndRefreshed) {
  controller_.setDirectoryUrls(
      {FileUrl::fromPath("/home/u/Sync", true), FileUrl::fromPath("/srv/Team", true)});
  push("synced", "/home/u/Sync/a");
  push("synced", "/srv/Team/b");
  refresher_.take();
  // The same set again, in another order: nothing moves.
  controller_.setDirectoryUrls(
      {FileUrl::fromPath("/srv/Team/", true), FileUrl::fromPath("/home/u/Sync", true)});
  EXPECT_TRUE(refresher_.take().empty());

  controller_.setDirectoryUrls({FileUrl::fromPath("/srv/Team", true)});
  EXPECT_EQ(refresher_.take(), (std::set<std::string>{"/home/u/Sync/a"}));
  EXPECT_EQ(shown("/home/u/Sync/a", "synced"), std::nullopt);
  EXPECT_EQ(shown("/srv/Team/b"), kGreen);
  EXPECT_TRUE(asked_.empty());
}

TEST_F(EmblemControllerTest, TheSelectionIsWhatWasLastSet) {
  EXPECT_EQ(controller_.selectedItemUrls(), std::nullopt);
  controller_.setSelection(std::vector<FileUrl>{FileUrl::fromPath("/home/u/Sync/a", false)});
  ASSERT_TRUE(controller_.selectedItemUrls());
  EXPECT_EQ(controller_.selectedItemUrls()->front().path(), "/home/u/Sync/a");
  controller_.setSelection(std::nullopt);
  EXPECT_EQ(controller_.selectedItemUrls(), std::nullopt);
}

}  // namespace
}  // namespace tessvik
