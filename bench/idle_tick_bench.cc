// An idle tick: the state folder holds N badge state files that do not
// change. Floor: one bare listing of the folder plus one bare lstat per file,
// in C.
#include <dirent.h>
#include <sys/stat.h>

#include <vector>

#include "bench/badge_state_data.h"
#include "bench/bench_support.h"

namespace tessvik::bench {
namespace {

constexpr double kTarget = 1.5;
constexpr std::size_t kEntriesPerFile = 20;

double bareListingAndLstats(const std::string& dir, const std::vector<std::string>& paths) {
  const Clock::time_point start = Clock::now();
  DIR* d = ::opendir(dir.c_str());
  std::size_t entries = 0;
  while (const struct dirent* entry = ::readdir(d)) {
    benchmark::DoNotOptimize(entry->d_name[0]);
    ++entries;
  }
  ::closedir(d);
  struct stat st;
  for (const std::string& path : paths) {
    ::lstat(path.c_str(), &st);
    benchmark::DoNotOptimize(st.st_mtim);
  }
  benchmark::DoNotOptimize(entries);
  return secondsSince(start);
}

void BM_IdleTick(benchmark::State& state) {
  const int files = static_cast<int>(state.range(0));
  testing::ScratchHome home;
  std::vector<std::string> paths;
  for (int i = 0; i < files; ++i) {
    const std::string name = "badges-" + std::to_string(i) + ".json";
    home.writeState(
        name, generateBadgeFile("/Users/u/Sync/" + std::to_string(i), kEntriesPerFile).json, 0);
    paths.push_back(home.statePath(name));
  }
  ExtensionOnDisk disk(home);
  disk.start();
  disk.logger.lines.clear();
  Paired paired;
  for (auto _ : state) {
    const double floor = bareListingAndLstats(home.stateDir, paths);
    const Clock::time_point start = Clock::now();
    disk.tick();
    const double subject = secondsSince(start);
    state.SetIterationTime(subject);
    paired.add(subject, floor);
  }
  if (disk.controller.pushes != kEntriesPerFile * static_cast<std::size_t>(files) ||
      !disk.logger.lines.empty()) {
    state.SkipWithError("an idle tick did more than list and query dates");
  }
  paired.report(state, kTarget, 1e6, "floor_us");
}
BENCHMARK(BM_IdleTick)->Arg(1)->Arg(10)->Arg(100)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tessvik::bench
