// The sync client's kit writing a badge state file of a million items: the
// writer (escaping, checks, repeats found, a temporary file, fsync, lock,
// rename, folder fsync, date moved when needed) against the same bytes
// written by a plain buffered write with its own fsync and rename, the floor
// of any writer that never shows half a file, in the same iterations.
// Target: at most 1.3 times the floor. The plain write without fsync nor
// rename is reported beside. And how far ahead of the clock rewrites as
// fast as they come leave the file's date.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>

#include "bench/badge_state_data.h"
#include "bench/bench_support.h"
#include "kit/badge_file_writer.h"
#include "state/badge_file_decoder.h"

namespace tessvik::bench {
namespace {

constexpr const char* kRoot = "/Users/léa/Synchronisé";

// The items of the benchmarks' million-item file, decoded once.
const StatusTable& millionItems() {
  static const StatusTable table = [] {
    BadgeFileDecoder decoder;
    Result<BadgeFile> file = decoder.decode(generateBadgeFile(kRoot, 1'000'000).json);
    if (!file) std::abort();
    return std::move(file.value().files);
  }();
  return table;
}

double kitWriteSeconds(const testing::ScratchHome& home) {
  const StatusTable& items = millionItems();
  const Clock::time_point start = Clock::now();
  Result<kit::BadgeFileWriter> writer =
      kit::BadgeFileWriter::begin(home.stateDir, "badges.json", kRoot);
  if (!writer) std::abort();
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!writer.value().add(items.keyAt(i), items.statusAt(i))) std::abort();
  }
  if (!writer.value().commit()) std::abort();
  return secondsSince(start);
}

// `bytes` through stdio's buffer into a new file; or, `atomic`, into a file
// beside `path`, flushed to disk and renamed over `path`.
double plainWriteSeconds(const std::string& path, const std::string& bytes, bool atomic) {
  const Clock::time_point start = Clock::now();
  const std::string written = atomic ? path + ".tmp" : path;
  std::FILE* file = std::fopen(written.c_str(), "w");
  if (file == nullptr) std::abort();
  for (std::size_t at = 0; at < bytes.size(); at += 64) {
    std::fwrite(bytes.data() + at, 1, std::min<std::size_t>(64, bytes.size() - at), file);
  }
  if (std::fflush(file) != 0) std::abort();
  if (atomic && ::fsync(::fileno(file)) != 0) std::abort();
  std::fclose(file);
  if (atomic && std::rename(written.c_str(), path.c_str()) != 0) std::abort();
  return secondsSince(start);
}

void BM_KitWriteMillion(benchmark::State& state) {
  testing::ScratchHome home;
  (void)kitWriteSeconds(home);
  std::stringstream written;
  written << std::ifstream(home.statePath("badges.json")).rdbuf();
  const std::string bytes = written.str();
  Paired plain, synced;
  for (auto _ : state) {
    const double kit = kitWriteSeconds(home);
    plain.add(kit, plainWriteSeconds(home.statePath("plain.json"), bytes, false));
    synced.add(kit, plainWriteSeconds(home.statePath("plain.json"), bytes, true));
    state.SetIterationTime(kit);
  }
  // The plain floor has no target of its own: reported first, so that the
  // target counter is the atomic floor's.
  plain.report(state, 0, 1e3, "plain_ms", "ratio_plain");
  synced.report(state, 1.3, 1e3, "atomic_ms");
  state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
}
BENCHMARK(BM_KitWriteMillion)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);

// 300 rewrites of a small file, each as soon as the last is done: the
// largest lead of the file's date over the clock when commit() returns
// (at most one step of the file system's date granularity), and the pace.
void BM_KitRewriteLead(benchmark::State& state) {
  testing::ScratchHome home;
  double maxLeadMs = 0;
  for (auto _ : state) {
    for (int i = 0; i < 300; ++i) {
      Result<kit::BadgeFileWriter> writer =
          kit::BadgeFileWriter::begin(home.stateDir, "badges.json", kRoot);
      if (!writer || !writer.value().add(std::to_string(i), "synced")) std::abort();
      Result<FileTime> date = writer.value().commit();
      struct timespec now;
      ::clock_gettime(CLOCK_REALTIME, &now);
      if (!date) std::abort();
      const double lead = static_cast<double>(date.value().seconds - now.tv_sec) * 1e3 +
                          static_cast<double>(date.value().nanoseconds - now.tv_nsec) / 1e6;
      maxLeadMs = std::max(maxLeadMs, lead);
    }
  }
  state.counters["max_lead_ms"] = maxLeadMs;
  state.counters["writes_per_s"] = benchmark::Counter(
      300.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_KitRewriteLead)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tessvik::bench
