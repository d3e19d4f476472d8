// The extension on this host, end to end on fake services: badge state files
// in; emblems, refreshes of the items the file manager holds, the menu item
// and the shared selection out.
#include "file_manager/file_manager_extension.h"

#include <future>

#include "extension/extension_test_support.h"
#include "file_manager/file_manager_test_support.h"

namespace tessvik {
namespace {

// The shared fixture's fake services (its own extension is left unstarted),
// and one badge state file.
class FileManagerExtensionTest : public testing::ExtensionTest {
 protected:
  void SetUp() override {
    writeState("badges.json", "/Users/u/Sync", {{"a", "synced"}});
    fileManager_ = started(linkRealPath, FolderLinks::Resolution::kAtOnce);
  }
  // ~/SyncLink is a link to ~/Sync, and ~/LinkRoot one to ~/RealSync.
  static std::optional<std::string> linkRealPath(const std::string& folder) {
    if (folder.starts_with("/Users/u/SyncLink")) return "/Users/u/Sync" + folder.substr(17);
    if (folder.starts_with("/Users/u/LinkRoot")) return "/Users/u/RealSync" + folder.substr(17);
    return folder;
  }
  std::unique_ptr<FileManagerExtension> started(FolderLinks::RealPath realPath,
                                                FolderLinks::Resolution resolution) {
    return std::make_unique<FileManagerExtension>(
        FileManagerServices{{files_, runLoop_, logger_, users_, workspace_, memory_},
                            refresher_,
                            std::move(realPath),
                            FileUrl::fromPath(kStateDir, true),
                            resolution});
  }
  std::optional<std::string> emblem(const std::string& path) {
    return fileManager_->emblemFor(path, false);
  }

  testing::RecordingRefresher refresher_;
  std::unique_ptr<FileManagerExtension> fileManager_;
};

TEST_F(FileManagerExtensionTest, EmblemsFollowTheStateAsNamedOrThroughALink) {
  EXPECT_EQ(emblem("/Users/u/Sync/a"), "emblem-tessvik-synced");
  EXPECT_EQ(emblem("/Users/u/Other/a"), std::nullopt);  // outside: no answer, no emblem
  for (const char* path : {"/Users/u/SyncLink/a", "/Users/u/SyncLink/b", "/Users/u/Other/a"}) {
    fileManager_->itemShown(path);
  }
  // The link's folder is resolved off the main loop: no badge until then,
  // and a refresh once it is, only where the emblem changes.
  EXPECT_EQ(emblem("/Users/u/SyncLink/a"), std::nullopt);
  EXPECT_EQ(emblem("/Users/u/SyncLink/b"), std::nullopt);  // no state: no badge either way
  EXPECT_EQ(emblem("/Users/u/Other/a"), std::nullopt);     // no link
  runLoop_.fireTimers();
  EXPECT_EQ(refresher_.refreshed, (std::set<std::string>{"/Users/u/SyncLink/a"}));
  EXPECT_EQ(emblem("/Users/u/SyncLink/a"), "emblem-tessvik-synced");
  refresher_.refreshed.clear();
  writeState("badges.json", "/Users/u/Sync", {{"a", "error"}});
  runLoop_.fireTimers();
  EXPECT_EQ(refresher_.refreshed, (std::set<std::string>{"/Users/u/SyncLink/a"}));
  EXPECT_EQ(emblem("/Users/u/SyncLink/a"), "emblem-tessvik-error");
}

TEST_F(FileManagerExtensionTest, DestroyingItNeverWaitsForAFolderStuckInResolution) {
  // realpath hangs until released; the worker then lets go of what it shares.
  std::promise<void> release;
  auto workerDone = std::make_shared<std::promise<void>>();
  std::future<void> done = workerDone->get_future();
  std::shared_ptr<void> heldByWorker(nullptr, [workerDone](void*) { workerDone->set_value(); });
  auto stuck = started(
      [released = release.get_future().share(), heldByWorker](const std::string& folder) {
        released.wait();
        return linkRealPath(folder);
      },
      FolderLinks::Resolution::kOnWorker);
  heldByWorker.reset();
  EXPECT_EQ(stuck->emblemFor("/Users/u/SyncLink/a", false), std::nullopt);
  stuck.reset();
  release.set_value();
  done.wait();
  runLoop_.fireTimers();  // the gone extension's timers do nothing
}

TEST_F(FileManagerExtensionTest, TheShareItemIsOfferedInObservedFoldersAndSharesTheSelection) {
  emblem("/Users/u/SyncLink/b");  // the file manager showed the link's folder
  runLoop_.fireTimers();
  for (const char* path : {"/Users/u/Sync/a", "/Users/u/SyncLink/b", "/Users/u/Sync"}) {
    EXPECT_EQ(fileManager_->menuForItems({path}),
              (std::vector<FileManagerMenuItem>{
                  {"TessVik::share:", "Partager avec TessVik\u2026", "contact-new"}}));
  }
  // Not when an item is outside, or has no local path, or there is none, nor
  // for two items, of which the Finder would share the first.
  const std::vector<const char*> refused[] = {
      {"/Users/u/Other/a"}, {nullptr}, {}, {"/Users/u/Sync/a", "/Users/u/Sync"}};
  for (const auto& paths : refused) EXPECT_TRUE(fileManager_->menuForItems(paths).empty());
  // Which item of a selection is shared is the core's to test.
  const std::vector<FileUrl> selection{FileUrl::fromPath("/Users/u/Sync/a", false)};
  fileManager_->activate("TessVik::share:", selection);
  fileManager_->activate("TessVik::other:", selection);
  fileManager_->activate("share:", selection);
  EXPECT_EQ(workspace_.opened, (std::vector<std::string>{"tessvik://share?path=/Users/u/Sync/a"}));
}

TEST_F(FileManagerExtensionTest, ARootShowsItsOwnBadgeAndFollowsItsRewrites) {
  writeState("badges.json", "/Users/u/Sync", {{"", "syncing"}, {"a", "synced"}});
  runLoop_.fireTimers();
  fileManager_->itemShown("/Users/u/Sync");
  EXPECT_EQ(fileManager_->emblemFor("/Users/u/Sync", true), "emblem-tessvik-syncing");
  writeState("badges.json", "/Users/u/Sync", {{"", "error"}, {"a", "synced"}});
  runLoop_.fireTimers();
  EXPECT_EQ(refresher_.refreshed, (std::set<std::string>{"/Users/u/Sync"}));
  EXPECT_EQ(fileManager_->emblemFor("/Users/u/Sync", true), "emblem-tessvik-error");
}

TEST_F(FileManagerExtensionTest, AMissingStateFolderIsNotedOnceAtInfoLevelOtherFailuresAreErrors) {
  fileManager_.reset();
  files_.remove(kStateDir);
  fileManager_ = started(linkRealPath, FolderLinks::Resolution::kAtOnce);
  runLoop_.fireTimers();
  files_.faults[{"opendir", kStateDir}] = EACCES;
  runLoop_.fireTimers();
  std::vector<RecordingLogger::Line> failures;
  for (const RecordingLogger::Line& line : logger_.takeLines()) {
    if (line.message.starts_with("lecture impossible")) failures.push_back(line);
  }
  const std::string folder = "lecture impossible : « " + std::string(kStateDir) + " » : ";
  EXPECT_EQ(failures, (std::vector<RecordingLogger::Line>{
                          {LogLevel::kDefault, folder + "aucun fichier ou dossier de ce nom"},
                          {LogLevel::kError, folder + "permission refusée"}}));
}

TEST_F(FileManagerExtensionTest, ARootWrittenThroughALinkBadgesItsRealFolderAndSharesAsWritten) {
  for (const char* path : {"/Users/u/RealSync", "/Users/u/RealSync/sub/a"}) {
    fileManager_->itemShown(path);
  }
  // The root is resolved off the main loop, as an item's folder is: the
  // items shown in its real folder are refreshed once it is.
  writeState("badges-linked.json", "/Users/u/LinkRoot", {{"", "syncing"}, {"sub/a", "synced"}});
  runLoop_.fireTimers();
  EXPECT_EQ(refresher_.refreshed,
            (std::set<std::string>{"/Users/u/RealSync", "/Users/u/RealSync/sub/a"}));
  EXPECT_EQ(emblem("/Users/u/RealSync/sub/a"), "emblem-tessvik-synced");
  EXPECT_EQ(fileManager_->emblemFor("/Users/u/RealSync", true), "emblem-tessvik-syncing");
  refresher_.refreshed.clear();
  writeState("badges-linked.json", "/Users/u/LinkRoot", {{"", "syncing"}, {"sub/a", "error"}});
  runLoop_.fireTimers();
  EXPECT_EQ(refresher_.refreshed, (std::set<std::string>{"/Users/u/RealSync/sub/a"}));
  // Shared as the badge state files name the item, whichever way it was
  // reached: in the root's real folder, or through a link to a root.
  emblem("/Users/u/SyncLink/b");
  runLoop_.fireTimers();
  for (const char* path :
       {"/Users/u/RealSync/sub/\xC3\xA9t\xC3\xA9.txt", "/Users/u/SyncLink/\xC3\xA9t\xC3\xA9.txt"}) {
    EXPECT_EQ(fileManager_->menuForItems({path}).size(), 1u) << path;
    fileManager_->activate("TessVik::share:", {FileUrl::fromPath(path, false)});
  }
  EXPECT_EQ(workspace_.opened, (std::vector<std::string>{
                                   "tessvik://share?path=/Users/u/LinkRoot/sub/%C3%A9t%C3%A9.txt",
                                   "tessvik://share?path=/Users/u/Sync/%C3%A9t%C3%A9.txt"}));
}

}  // namespace
}  // namespace tessvik
