// The extension on this host, end to end on fake services: badge state files
// in; emblems, refreshes of the items the file manager holds, the menu item
// and the shared selection out.
#include "hosts/file_manager/file_manager_extension.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

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
  void write(const std::vector<std::pair<std::string, std::string>>& files,
             const std::string& root = "/Users/u/Sync") {
    files_.writeFile(kStateFile, badgeJson(root, files), FileTime{++clock_, 0});
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

TEST_F(FileManagerExtensionTest, EmblemsFollowTheStateAndOnlyHeldItemsAreRefreshed) {
  write({{"a", "synced"}, {"b", "syncing"}, {"c", "conflict"}, {"d", "error"}, {"e", "Synced"}});
  start();
  // Nothing is held yet: the first load's pushes refresh nothing.
  EXPECT_TRUE(refresher_.take().empty());
  // Each catalogue badge shows an emblem of its own that the host ships.
  const std::filesystem::path emblems = std::filesystem::path(__FILE__).parent_path() / "emblems";
  std::set<std::string> seen;
  for (const char* name : {"a", "b", "c", "d"}) {
    std::optional<std::string> icon = emblem(name);
    ASSERT_TRUE(icon) << name;
    seen.insert(*icon);
    EXPECT_TRUE(std::filesystem::exists(emblems / (*icon + ".svg"))) << *icon;
  }
  EXPECT_EQ(seen.size(), 4u);
  for (const char* name : {"e", "f", ""}) EXPECT_EQ(emblem(name), std::nullopt) << name;
  EXPECT_EQ(extension_->emblemFor("/Users/u/Other/f", false), std::nullopt);

  for (const char* name : {"/Users/u/Sync/a", "/Users/u/Sync/b", "/Users/u/Sync/f"}) {
    extension_->itemShown(name);
  }
  write({{"a", "error"}, {"b", "syncing"}, {"e", "synced"}, {"f", "conflict"}});
  runLoop_.fireTimers();
  EXPECT_EQ(refresher_.take(), (std::set<std::string>{"/Users/u/Sync/a", "/Users/u/Sync/f"}));
  EXPECT_EQ(emblem("a"), "emblem-tessvik-xmark-red");
  EXPECT_EQ(emblem("f"), "emblem-tessvik-exclamation-orange");

  // The extension pushes nothing for the root the file left: the host
  // refreshes what it holds there.
  extension_->itemGone("/Users/u/Sync/f");
  write({{"a", "synced"}}, "/Users/u/Other");
  runLoop_.fireTimers();
  EXPECT_EQ(refresher_.take(), (std::set<std::string>{"/Users/u/Sync/a", "/Users/u/Sync/b"}));
  EXPECT_EQ(emblem("a"), std::nullopt);
  EXPECT_EQ(extension_->emblemFor("/Users/u/Other/a", false), "emblem-tessvik-checkmark-green");
}

TEST_F(FileManagerExtensionTest, TheShareItemSharesTheFirstItemSelected) {
  start();
  EXPECT_EQ(extension_->menuForItems(),
            (std::vector<FileManagerMenuItem>{
                {"TessVik::share:", "Partager avec TessVik\u2026", "contact-new"}}));
  extension_->activate("TessVik::share:", {FileUrl::fromPath("/Users/u/a", false),
                                           FileUrl::fromPath("/Users/u/b", false)});
  extension_->activate("TessVik::share:", {});
  extension_->activate("TessVik::other:", {FileUrl::fromPath("/Users/u/c", false)});
  extension_->activate("share:", {FileUrl::fromPath("/Users/u/c", false)});
  EXPECT_EQ(workspace_.opened, (std::vector<std::string>{"tessvik://share?path=/Users/u/a"}));
}

}  // namespace
}  // namespace tessvik
