// The Nautilus, Nemo and Caja host: what it adds to the core. A first load
// of the million-item file through the host, beside the same load through a
// controller that does nothing; the memory the host holds beyond the core's
// state; and the file manager's per-item call, an item's emblem, at 10
// roots: inside a root, through a link to the roots' folder, and outside
// every root (the links of its folder looked up, nothing answered).
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <unordered_set>
#include <vector>

#include "bench/badge_state_data.h"
#include "bench/bench_support.h"
#include "file_manager/file_manager_extension.h"

namespace tessvik::bench {
namespace {

constexpr std::size_t kEntries = 1'000'000;
constexpr const char* kRoot = "/Users/léa/Synchronisé";

const GeneratedBadgeFile& millionItems() {
  static const GeneratedBadgeFile file = generateBadgeFile(kRoot, kEntries);
  return file;
}

// Every `step`-th item of the file, as the file manager would name it.
std::vector<std::string> itemsOfTheFile(std::size_t step) {
  std::vector<std::string> items;
  const std::string& json = millionItems().json;
  std::size_t line = 0;
  for (std::size_t at = json.find("\n    \""); at != std::string::npos;
       at = json.find("\n    \"", at + 1), ++line) {
    if (line % step != 0) continue;
    const std::size_t begin = at + 6;
    items.push_back(std::string(kRoot) + "/" +
                    json.substr(begin, json.find("\": \"", begin) - begin));
  }
  return items;
}

// Records what the host asks the file manager to refresh: each path once,
// as the file manager's idle refresher hands them on.
class CountingRefresher final : public ItemRefresher {
 public:
  void refresh(const std::string& path) override { refreshed.insert(path); }
  std::unordered_set<std::string> refreshed;
};

// The file-manager host on the real file system of a temporary home, with
// the fakes for the rest.
class HostOnDisk {
 public:
  explicit HostOnDisk(const testing::ScratchHome& home) : stateFolder_(home.stateDir) {}
  // Folders are resolved at once (answered on the next tick), as a worker
  // would, without a thread.
  void start() {
    host_ = std::make_unique<FileManagerExtension>(
        FileManagerServices{{files_, runLoop_, logger_, users_, workspace_, memory_},
                            refresher,
                            &FolderLinks::posixRealPath,
                            FileUrl::fromPath(stateFolder_, true),
                            FolderLinks::Resolution::kAtOnce});
  }
  void tick() { runLoop_.fireTimers(); }
  FileManagerExtension& host() { return *host_; }

  CountingRefresher refresher;

 private:
  std::string stateFolder_;
  PosixFileSystem files_;
  ManualRunLoop runLoop_;
  RecordingLogger logger_;
  FakeUserDatabase users_;
  RecordingWorkspace workspace_;
  CountingSystemMemory memory_;
  std::unique_ptr<FileManagerExtension> host_;
};

// A home whose state folder is empty; the million-item file waits beside it
// and is linked in for each load.
struct MillionAside {
  MillionAside() : aside(home.home + "/million.json") {
    std::ofstream(aside, std::ios::binary) << millionItems().json;
  }
  void linkIn() const {
    std::filesystem::remove(home.statePath("badges.json"));
    std::filesystem::create_hard_link(aside, home.statePath("badges.json"));
  }
  testing::ScratchHome home;
  std::string aside;
};

// The CPU time of this thread, in seconds: the machine is shared, and a
// load that waits for a core would count another program's work.
double threadSeconds() {
  timespec now{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// One tick that loads the file, timed.
template <class Subject>
double timedLoad(Subject& subject, const MillionAside& million) {
  million.linkIn();
  const double start = threadSeconds();
  subject.tick();
  return threadSeconds() - start;
}

// A first load while the file manager shows `range(0)` items of the file,
// through the host and through a controller that does nothing; the two
// loads alternate, each timed in CPU time. Memory: what the host holds beyond the core once the
// load is over (a quiet tick has released the reading's working memory),
// and that per item shown.
void BM_FileManagerFirstLoad(benchmark::State& state) {
  const std::size_t shown = static_cast<std::size_t>(state.range(0));
  const std::vector<std::string> items =
      shown == 0 ? std::vector<std::string>{} : itemsOfTheFile(kEntries / shown);
  MillionAside million;
  Paired paired;
  double hostBytes = 0;
  std::size_t refreshed = 0;
  for (auto _ : state) {
    double floorSeconds = 0;
    double subjectSeconds = 0;
    double floorHeld = 0;
    double subjectHeld = 0;
    for (int order = 0; order < 2; ++order) {
      std::filesystem::remove(million.home.statePath("badges.json"));
      const double before = static_cast<double>(heapInUse());
      if ((order == 0) == (state.iterations() % 2 == 0)) {
        ExtensionOnDisk floor(million.home);
        floor.start();
        floorSeconds = timedLoad(floor, million);
        floor.tick();
        floorHeld = static_cast<double>(heapInUse()) - before;
      } else {
        HostOnDisk subject(million.home);
        subject.start();
        for (const std::string& item : items) subject.host().itemShown(item);
        subject.tick();  // takes the folders resolved in, with no state yet
        subjectSeconds = timedLoad(subject, million);
        subject.tick();
        subjectHeld = static_cast<double>(heapInUse()) - before;
        refreshed += subject.refresher.refreshed.size();
      }
    }
    state.SetIterationTime(subjectSeconds);
    paired.add(subjectSeconds, floorSeconds);
    hostBytes = subjectHeld - floorHeld;
  }
  if (refreshed != items.size() * static_cast<std::size_t>(state.iterations())) {
    state.SkipWithError("the load did not refresh every item shown");
  }
  paired.report(state, 1.3, 1e3, "floor_ms");
  state.counters["host_KB"] = hostBytes / 1e3;
  if (shown > 0) state.counters["per_item_B"] = hostBytes / static_cast<double>(shown);
}
BENCHMARK(BM_FileManagerFirstLoad)
    ->ArgName("shown")
    ->Arg(0)
    ->Arg(10'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(6);

enum Where { kInside = 0, kThroughLink = 1, kOutside = 2 };

// The file manager asks for the emblem of each item it draws: 10 roots of
// 1000 items, real folders of the temporary home, which also holds a link
// to the roots' folder and an unsynced folder.
void BM_FileManagerEmblem(benchmark::State& state) {
  constexpr int kRoots = 10;
  constexpr std::size_t kKeys = 1000;
  const Where where = static_cast<Where>(state.range(0));
  testing::ScratchHome home;
  const std::string synced = home.home + "/Sync";
  for (int i = 0; i < kRoots; ++i) {
    const std::string root = synced + "/team-" + std::to_string(i);
    std::filesystem::create_directories(root + "/Projects/2024/meetings");
    std::string json = "{\"root\":\"" + root + "\",\"files\":{";
    for (std::size_t k = 0; k < kKeys; ++k) {
      json += (k == 0 ? "\"" : ",\"") + ("Projects/2024/meetings/report-" + std::to_string(k)) +
              ".pdf\":\"synced\"";
    }
    home.writeState("badges-" + std::to_string(i) + ".json", json + "}}", 0);
  }
  std::filesystem::create_directory_symlink(synced, home.home + "/SyncLink");
  std::filesystem::create_directories(home.home + "/Other/team-0/Projects/2024/meetings");
  const std::string base = home.home + (where == kInside        ? "/Sync"
                                        : where == kThroughLink ? "/SyncLink"
                                                                : "/Other");
  std::vector<std::string> items;
  for (std::size_t k = 0; k < 256; ++k) {
    const int root = where == kOutside ? 0 : static_cast<int>((k * 7) % kRoots);
    items.push_back(base + "/team-" + std::to_string(root) + "/Projects/2024/meetings/report-" +
                    std::to_string((k * 13) % kKeys) + ".pdf");
  }
  HostOnDisk disk(home);
  disk.start();
  for (const std::string& item : items) disk.host().itemShown(item);
  if (where == kThroughLink) disk.tick();  // its folders resolved, the answers taken in
  std::size_t answered = 0;
  std::size_t next = 0;
  for (auto _ : state) {
    answered += disk.host().emblemFor(items[next], false).has_value();
    next = (next + 1) & 255;
  }
  const bool expected = where != kOutside;
  if (answered != (expected ? static_cast<std::size_t>(state.iterations()) : 0)) {
    state.SkipWithError("an emblem was not answered as expected");
  }
  state.counters["target_ns"] = 1000;
}
BENCHMARK(BM_FileManagerEmblem)
    ->ArgName("inside0_link1_outside2")
    ->DenseRange(kInside, kOutside)
    ->Unit(benchmark::kNanosecond);

}  // namespace
}  // namespace tessvik::bench
