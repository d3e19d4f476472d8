// The sync client's kit writing a badge state file of a million items: the
// writer (escaping, checks, a temporary file, fsync, rename, folder fsync,
// date moved when needed) against the same bytes written by a plain buffered
// write, in the same iterations. Target: the writer takes at most twice as
// long. The floor with an fsync of its own is reported beside, as it says
// how much of the writer's time the disk takes.
#include <unistd.h>

#include <cstdio>
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

double kitWriteSeconds(const TemporaryHome& home) {
  const StatusTable& items = millionItems();
  const Clock::time_point start = Clock::now();
  Result<kit::BadgeFileWriter> writer =
      kit::BadgeFileWriter::begin(home.stateDir(), "badges.json", kRoot);
  if (!writer) std::abort();
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!writer.value().add(items.keyAt(i), items.statusAt(i))) std::abort();
  }
  if (!writer.value().commit()) std::abort();
  return secondsSince(start);
}

// `bytes` through stdio's buffer into a new file, flushed to disk or not.
double plainWriteSeconds(const std::string& path, const std::string& bytes, bool sync) {
  const Clock::time_point start = Clock::now();
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) std::abort();
  for (std::size_t at = 0; at < bytes.size(); at += 64) {
    std::fwrite(bytes.data() + at, 1, std::min<std::size_t>(64, bytes.size() - at), file);
  }
  if (std::fflush(file) != 0) std::abort();
  if (sync && ::fsync(::fileno(file)) != 0) std::abort();
  std::fclose(file);
  return secondsSince(start);
}

void BM_KitWriteMillion(benchmark::State& state) {
  TemporaryHome home;
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
  // The fsync'd floor has no target of its own: reported first, so that the
  // target counter is the plain floor's.
  synced.report(state, 0, 1e3, "plain_fsync_ms", "ratio_fsync");
  plain.report(state, 2, 1e3, "plain_ms");
  state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
}
BENCHMARK(BM_KitWriteMillion)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);

}  // namespace
}  // namespace tessvik::bench
