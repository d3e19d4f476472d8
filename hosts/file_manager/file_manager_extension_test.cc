// The extension on this host, end to end on fake services: badge state files
// in, emblems, refreshes, menu items and share URLs out.
#include "hosts/file_manager/file_manager_extension.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "extension/badge_catalogue.h"
#include "host/fake/fake_file_system.h"
#include "host/fake/fake_host.h"
#include "testing/test_support.h"

namespace tessvik {
namespace {

using testing::badgeJson;

class RecordingRefresher : public ItemRefresher {
 public:
  void refresh(const std::string& path) override { refreshed.insert(path); }
  std::set<std::string> take() { return std::exchange(refreshed, {}); }
  std::set<std::string> refreshed;
};

constexpr const char* kStateFile = "/Users/u/Library/Application Support/tessvik/badges.json";

class FileManagerExtensionTest : public ::testing::Test {
 protected:
  FileManagerExtensionTest() { files_.addFolder("/Users/u/Library/Application Support/tessvik"); }
  void write(const std::vector<std::pair<std::string, std::string>>& files) {
    files_.writeFile(kStateFile, badgeJson("/Users/u/Sync", files), FileTime{++clock_, 0});
  }
  void start() {
    extension_ = std::make_unique<FileManagerExtension>(
        FileManagerServices{files_, runLoop_, logger_, users_, workspace_, refresher_});
  }
  std::optional<std::string> emblem(const std::string& name) {
    return extension_->emblemFor("/Users/u/Sync/" + name, false);
  }

  FakeFileSystem files_;
  ManualRunLoop runLoop_;
  RecordingLogger logger_;
  FakeUserDatabase users_;
  RecordingWorkspace workspace_;
  RecordingRefresher refresher_;
  std::unique_ptr<FileManagerExtension> extension_;
  std::int64_t clock_ = 1'700'000'000;
};

TEST_F(FileManagerExtensionTest, EveryCatalogueBadgeIsAShippedEmblem) {
  start();
  for (const RecordingLogger::Line& line : logger_.lines) {
    EXPECT_NE(line.level, LogLevel::kError) << line.message;
  }
  write({{"a", "synced"}, {"b", "syncing"}, {"c", "conflict"}, {"d", "error"}});
  runLoop_.fireTimers();
  const std::filesystem::path emblems = std::filesystem::path(__FILE__).parent_path() / "emblems";
  std::set<std::string> seen;
  for (const char* name : {"a", "b", "c", "d"}) {
    std::optional<std::string> icon = emblem(name);
    ASSERT_TRUE(icon) << name;
    seen.insert(*icon);
    EXPECT_TRUE(std::filesystem::exists(emblems / (*icon + ".svg"))) << *icon;
  }
  EXPECT_EQ(seen.size(), 4u);
}

TEST_F(FileManagerExtensionTest, EmblemsFollowTheStateFileAndVanishWithIt) {
  write({{"a", "synced"}, {"b", "syncing"}, {"c", ""}, {"d", "Synced"}});
  start();
  EXPECT_EQ(refresher_.take(),
            (std::set<std::string>{"/Users/u/Sync/a", "/Users/u/Sync/b", "/Users/u/Sync/d"}));
  EXPECT_EQ(emblem("a"), "emblem-tessvik-checkmark-green");
  EXPECT_EQ(emblem("b"), "emblem-tessvik-arrows-blue");
  EXPECT_EQ(emblem("c"), std::nullopt);
  EXPECT_EQ(emblem("d"), std::nullopt);
  EXPECT_EQ(emblem("e/f"), std::nullopt);

  write({{"a", "error"}, {"b", "syncing"}, {"e/f", "conflict"}});
  runLoop_.fireTimers();
  EXPECT_EQ(refresher_.take(),
            (std::set<std::string>{"/Users/u/Sync/a", "/Users/u/Sync/d", "/Users/u/Sync/e/f"}));
  EXPECT_EQ(emblem("a"), "emblem-tessvik-xmark-red");
  EXPECT_EQ(emblem("b"), "emblem-tessvik-arrows-blue");
  EXPECT_EQ(emblem("d"), std::nullopt);
  EXPECT_EQ(emblem("e/f"), "emblem-tessvik-exclamation-orange");

  files_.remove(kStateFile);
  runLoop_.fireTimers();
  EXPECT_EQ(refresher_.take(),
            (std::set<std::string>{"/Users/u/Sync/a", "/Users/u/Sync/b", "/Users/u/Sync/e/f"}));
  for (const char* name : {"a", "b", "e/f"}) EXPECT_EQ(emblem(name), std::nullopt) << name;
}

TEST_F(FileManagerExtensionTest, AStateFileMovedToAnotherRootTakesItsEmblemsAlong) {
  write({{"a", "synced"}});
  start();
  files_.writeFile(kStateFile, badgeJson("/Users/u/Other", {{"a", "error"}}),
                   FileTime{++clock_, 0});
  runLoop_.fireTimers();
  EXPECT_EQ(emblem("a"), std::nullopt);
  EXPECT_EQ(extension_->emblemFor("/Users/u/Other/a", false), "emblem-tessvik-xmark-red");
  EXPECT_TRUE(refresher_.take().contains("/Users/u/Sync/a"));
}

TEST_F(FileManagerExtensionTest, TheMenuOffersTheShareItem) {
  start();
  EXPECT_EQ(extension_->menuForItems(),
            (std::vector<FileManagerMenuItem>{
                {"TessVik::share:", "Partager avec TessVik\u2026", "contact-new"}}));
}

TEST_F(FileManagerExtensionTest, SharingOpensTheUrlOfTheFirstSelectedItemOnly) {
  start();
  extension_->activate("TessVik::share:",
                       {FileUrl::fromPath("/Users/u/Q3 r\xC3\xA9sum\xC3\xA9.pdf", false),
                        FileUrl::fromPath("/Users/u/b", false)});
  extension_->activate("TessVik::share:", {FileUrl::fromPath("/Users/u/Sync", true)});
  EXPECT_EQ(workspace_.opened,
            (std::vector<std::string>{"tessvik://share?path=/Users/u/Q3%20r%C3%A9sum%C3%A9.pdf",
                                      "tessvik://share?path=/Users/u/Sync"}));
}

TEST_F(FileManagerExtensionTest, NothingIsSharedWithoutSelectionOrForAnotherItem) {
  start();
  extension_->activate("TessVik::share:", {});
  extension_->activate("TessVik::other:", {FileUrl::fromPath("/Users/u/a", false)});
  extension_->activate("share:", {FileUrl::fromPath("/Users/u/a", false)});
  EXPECT_TRUE(workspace_.opened.empty());
}

}  // namespace
}  // namespace tessvik
