// What the benchmarks share: a real state folder in a temporary home, the
// extension running on it through the test fakes and the real file system,
// and the pairing of each figure with its floor.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "extension/finder_sync.h"
#include "extension/real_home.h"
#include "host/fake/fake_host.h"
#include "host/posix/posix_file_system.h"
#include "testing/scratch_home.h"

namespace tessvik::bench {

// A controller that only counts: the host's side of a push costs nothing.
class CountingController final : public FinderSyncController {
 public:
  void setBadgeImage(const SymbolImage&, std::string_view, std::string_view) override {}
  void setBadgeIdentifier(std::string_view identifier, const FileUrl& url) override {
    ++pushes;
    benchmark::DoNotOptimize(identifier.data());
    benchmark::DoNotOptimize(url.path().data());
  }
  void setDirectoryUrls(const std::vector<FileUrl>&) override {}
  std::optional<std::vector<FileUrl>> selectedItemUrls() override { return std::nullopt; }
  std::size_t pushes = 0;
};

// The extension on the real file system of a temporary home, with the fakes
// for everything else. Made lazily: start() runs the start sequence (and so
// the first reload).
class ExtensionOnDisk {
 public:
  explicit ExtensionOnDisk(const testing::ScratchHome& home);
  void start();
  void stop() { extension_.reset(); }
  void tick() { runLoop_.fireTimers(); }
  FinderSync& extension() { return *extension_; }

  CountingController controller;
  RecordingLogger logger;

 private:
  PosixFileSystem files_;
  FakeSymbolImages images_;
  ManualRunLoop runLoop_;
  FakeUserDatabase users_;
  RecordingWorkspace workspace_;
  CountingSystemMemory memory_;
  RealHome realHome_;
  std::unique_ptr<FinderSync> extension_;
};

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Accumulates a figure and its floor over the iterations of one benchmark
// (both measured in every iteration, so that a noisy machine slows both) and
// reports the floor and the ratio beside the figure.
class Paired {
 public:
  void add(double subjectSeconds, double floorSeconds) {
    subject_ += subjectSeconds;
    floor_ += floorSeconds;
  }
  // `unit` scales seconds for the floor counter (1e3: ms, 1e6: µs).
  void report(benchmark::State& state, double target, double unit, const char* floorName,
              const char* ratioName = "ratio") const;

 private:
  double subject_ = 0;
  double floor_ = 0;
};

// Bytes the allocator has handed out and not taken back (heap and mmap),
// whether touched or not.
std::size_t heapInUse();

// Bytes of the process in memory now (resident set).
std::size_t residentBytes();

}  // namespace tessvik::bench
