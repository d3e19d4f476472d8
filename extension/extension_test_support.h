// Test fixtures of the extension layer: a state folder on the fake file
// system, and the whole extension on fake host services over it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "extension/finder_sync.h"
#include "extension/real_home.h"
#include "host/fake/fake_file_system.h"
#include "host/fake/fake_host.h"
#include "state/state_test_support.h"

namespace tessvik::testing {

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

}  // namespace tessvik::testing
