// The extension on this host, end to end on fake services: badge state files
// in; emblems, refreshes of the items the file manager holds, the menu item
// and the shared selection out.
#include "hosts/file_manager/file_manager_extension.h"

#include "testing/test_support.h"

namespace tessvik {
namespace {

class FileManagerExtensionTest : public testing::StateFolderTest {
 protected:
  void start() {
    extension_ = std::make_unique<FileManagerExtension>(
        FileManagerServices{files_, runLoop_, logger_, users_, workspace_, refresher_});
  }
  std::optional<std::string> emblem(const std::string& name) {
    return extension_->emblemFor("/Users/u/Sync/" + name, false);
  }

  ManualRunLoop runLoop_;
  RecordingLogger logger_;
  FakeUserDatabase users_;
  RecordingWorkspace workspace_;
  testing::RecordingRefresher refresher_;
  std::unique_ptr<FileManagerExtension> extension_;
};

TEST_F(FileManagerExtensionTest, EmblemsFollowTheStateAndAHeldItemIsRefreshed) {
  writeState("badges.json", "/Users/u/Sync", {{"a", "synced"}, {"b", "Synced"}});
  start();
  EXPECT_EQ(emblem("a"), "emblem-tessvik-checkmark-green");
  EXPECT_EQ(emblem("b"), std::nullopt);  // no badge registered under that identifier
  EXPECT_EQ(emblem("c"), std::nullopt);  // not listed
  extension_->itemShown("/Users/u/Sync/a");
  writeState("badges.json", "/Users/u/Sync", {{"a", "error"}, {"b", "Synced"}});
  runLoop_.fireTimers();
  EXPECT_EQ(refresher_.refreshed, (std::set<std::string>{"/Users/u/Sync/a"}));
  EXPECT_EQ(emblem("a"), "emblem-tessvik-xmark-red");
}

TEST_F(FileManagerExtensionTest, TheShareItemSharesTheFirstItemSelected) {
  start();
  EXPECT_EQ(extension_->menuForItems(),
            (std::vector<FileManagerMenuItem>{
                {"TessVik::share:", "Partager avec TessVik\u2026", "contact-new"}}));
  const std::vector<FileUrl> selection{FileUrl::fromPath("/Users/u/a", false),
                                       FileUrl::fromPath("/Users/u/b", false)};
  extension_->activate("TessVik::share:", selection);
  extension_->activate("TessVik::other:", selection);
  extension_->activate("share:", selection);
  EXPECT_EQ(workspace_.opened, (std::vector<std::string>{"tessvik://share?path=/Users/u/a"}));
}

}  // namespace
}  // namespace tessvik
