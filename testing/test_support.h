// Shared fixtures: an extension on fake host services, with helpers to
// write badge state files into its state folder.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "extension/finder_sync.h"
#include "extension/real_home.h"
#include "file_manager/item_refresher.h"
#include "host/fake/fake_file_system.h"
#include "host/fake/fake_host.h"

namespace tessvik::testing {

// Keys (item paths) with their statuses.
using Entries = std::vector<std::pair<std::string, std::string>>;

// A badge state file's JSON text for `root` and `files`.
std::string badgeJson(const std::string& root, const Entries& files);

// What `next.diff(previous)` reports, sorted.
Entries diff(const StatusTable& next, const StatusTable& previous);

// A state folder on a fake file system, with writers for badge state files.
class StateFolderTest : public ::testing::Test {
 protected:
  static constexpr const char* kStateDir = "/Users/u/Library/Application Support/tessvik";

  StateFolderTest() { files_.addFolder(kStateDir); }

  // Writes `name` in the state folder with a date that no earlier write used.
  void writeState(const std::string& name, const std::string& content) {
    files_.writeFile(statePath(name), content, FileTime{++clock_, 0});
  }
  void writeState(const std::string& name, const std::string& root, const Entries& files) {
    writeState(name, badgeJson(root, files));
  }
  void removeState(const std::string& name) { files_.remove(statePath(name)); }
  static std::string statePath(const std::string& name) {
    return std::string(kStateDir) + "/" + name;
  }

  FakeFileSystem files_;
  std::int64_t clock_ = 1'700'000'000;
};

// The whole extension on fake host services over that state folder.
class ExtensionTest : public StateFolderTest {
 protected:
  // Creates the extension (runs its start sequence).
  void start();
  FinderSync& extension() { return *extension_; }

  RecordingController controller_;
  RecordingLogger logger_;
  FakeSymbolImages images_;
  ManualRunLoop runLoop_;
  FakeUserDatabase users_;
  RecordingWorkspace workspace_;
  CountingSystemMemory memory_;
  std::unique_ptr<RealHome> realHome_;
  std::unique_ptr<FinderSync> extension_;
};

// The file manager's refresher, recording the paths it is asked to refresh.
class RecordingRefresher : public ItemRefresher {
 public:
  void refresh(const std::string& path) override { refreshed.insert(path); }
  std::set<std::string> refreshed;
};

}  // namespace tessvik::testing
