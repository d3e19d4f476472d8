// Reloading a badge state file of a million items, and the memory its state
// holds. Floor: simdjson's bare DOM parse of the same bytes, by a parser kept
// warm between parses for a re-read, by a fresh parser for a first load.
#include <fcntl.h>
#include <simdjson.h>
#include <unistd.h>

#include "bench/badge_state_data.h"
#include "bench/bench_support.h"
#include "state/badge_file_decoder.h"

namespace tessvik::bench {
namespace {

constexpr std::size_t kEntries = 1'000'000;
constexpr const char* kName = "badges.json";

const GeneratedBadgeFile& millionItems() {
  static const GeneratedBadgeFile file = generateBadgeFile("/Users/léa/Synchronisé", kEntries);
  return file;
}

// simdjson's own parse of the bytes, nothing else: the floor.
class BareParse {
 public:
  BareParse() : bytes_(millionItems().json) {}
  double seconds() {
    const Clock::time_point start = Clock::now();
    simdjson::dom::element root;
    if (parser_.parse(bytes_).get(root) != simdjson::SUCCESS) std::abort();
    benchmark::DoNotOptimize(root);
    return secondsSince(start);
  }

 private:
  simdjson::padded_string bytes_;
  simdjson::dom::parser parser_;
};

// The same parse by a parser made for it, as a program that reads the file
// once would call simdjson: it pays, as a first load does, for the first
// touch of every page it writes.
double freshParseSeconds() {
  static const simdjson::padded_string bytes(millionItems().json);
  const Clock::time_point start = Clock::now();
  simdjson::dom::parser parser;
  simdjson::dom::element root;
  if (parser.parse(bytes).get(root) != simdjson::SUCCESS) std::abort();
  benchmark::DoNotOptimize(root);
  return secondsSince(start);
}

// A home whose state folder holds the million-item file, and the extension
// with that file loaded.
struct LoadedMillion {
  LoadedMillion() : disk(home) {
    home.writeState(kName, millionItems().json, 0);
    disk.start();
    disk.controller.pushes = 0;
    disk.logger.lines.clear();
  }
  testing::ScratchHome home;
  ExtensionOnDisk disk;
  long clock = 1'700'000'000;  // the file's next date
};

// One re-read: the file's date moves, then one tick reads it, measured
// beside one bare parse of the same bytes.
void timedReread(LoadedMillion& loaded, BareParse& floor, Paired& paired, benchmark::State& state) {
  loaded.home.dateState(kName, ++loaded.clock);
  const double floorSeconds = floor.seconds();
  const Clock::time_point start = Clock::now();
  loaded.disk.tick();
  const double subject = secondsSince(start);
  state.SetIterationTime(subject);
  paired.add(subject, floorSeconds);
}

// (2) The content is the same, its date moved: read, decode, diff, store;
// nothing is pushed.
void BM_RereadUnchanged(benchmark::State& state) {
  LoadedMillion loaded;
  BareParse floor;
  Paired paired;
  for (auto _ : state) {
    timedReread(loaded, floor, paired, state);
  }
  if (loaded.disk.controller.pushes != 0 ||
      loaded.disk.logger.lines.size() != static_cast<std::size_t>(state.iterations())) {
    state.SkipWithError("an unchanged file was not re-read exactly once per tick, or pushed");
  }
  paired.report(state, 2.0, 1e3, "floor_ms");
}
BENCHMARK(BM_RereadUnchanged)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);

// (3) One status changed: exactly one push per re-read.
void BM_RereadOneChanged(benchmark::State& state) {
  LoadedMillion loaded;
  BareParse floor;
  Paired paired;
  const int fd = ::open(loaded.home.statePath(kName).c_str(), O_WRONLY);
  const off_t at = static_cast<off_t>(millionItems().middleStatusOffset);
  bool error = false;
  for (auto _ : state) {
    // Alternate one status between "synced" and "error" in place; the space
    // keeps the length.
    error = !error;
    if (::pwrite(fd, error ? "\"error\" " : "\"synced\"", 8, at) != 8) std::abort();
    timedReread(loaded, floor, paired, state);
  }
  ::close(fd);
  if (loaded.disk.controller.pushes != static_cast<std::size_t>(state.iterations())) {
    state.SkipWithError("a re-read with one status changed did not push exactly once");
  }
  paired.report(state, 2.0, 1e3, "floor_ms");
}
BENCHMARK(BM_RereadOneChanged)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);

// (4) The first load: the extension starts on the file and pushes every item
// to a controller that does nothing. A first load writes only memory it has
// never touched, so its floor is the parse by a parser made for it, which
// pays for the same (`floor_ms`, `ratio`), as the re-reads, whose memory is
// kept from the last read, are set beside a parser kept warm. That warm
// parse is reported too (`warm_floor_ms`, `ratio_warm`).
void BM_FirstLoad(benchmark::State& state) {
  testing::ScratchHome home;
  home.writeState(kName, millionItems().json, 0);
  BareParse floor;
  Paired paired;
  Paired pairedFresh;
  std::size_t pushes = 0;
  for (auto _ : state) {
    const double floorSeconds = floor.seconds();
    const double freshFloorSeconds = freshParseSeconds();
    ExtensionOnDisk disk(home);
    const Clock::time_point start = Clock::now();
    disk.start();
    const double subject = secondsSince(start);
    state.SetIterationTime(subject);
    paired.add(subject, floorSeconds);
    pairedFresh.add(subject, freshFloorSeconds);
    pushes += disk.controller.pushes;
    disk.stop();
  }
  if (pushes != kEntries * static_cast<std::size_t>(state.iterations())) {
    state.SkipWithError("the first load did not push every item once");
  }
  pairedFresh.report(state, 3.0, 1e3, "floor_ms");
  paired.report(state, 3.0, 1e3, "warm_floor_ms", "ratio_warm");
}
BENCHMARK(BM_FirstLoad)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);

// (5) Memory held for the file's state once loaded, against the file's size:
// the table alone (its own account), and everything the extension still
// holds after a first load and after the next, quiet, tick, which releases
// the working memory of reading and decoding: as the allocator counts it
// (including address space reserved and never touched, such as most of the
// parser's) and as resident memory.
void BM_MemoryHeld(benchmark::State& state) {
  const std::string& json = millionItems().json;
  const double fileBytes = static_cast<double>(json.size());
  double tableBytes = 0;
  double loadedBytes = 0;
  double quietBytes = 0;
  double loadedResident = 0;
  double quietResident = 0;
  for (auto _ : state) {
    {
      BadgeFileDecoder decoder;
      Result<BadgeFile> decoded = decoder.decode(json);
      if (!decoded) std::abort();
      tableBytes = static_cast<double>(decoded.value().files.memoryUsage());
    }
    testing::ScratchHome home;
    home.writeState(kName, json, 0);
    ExtensionOnDisk disk(home);
    const double before = static_cast<double>(heapInUse());
    const double residentBefore = static_cast<double>(residentBytes());
    disk.start();
    loadedBytes = static_cast<double>(heapInUse()) - before;
    loadedResident = static_cast<double>(residentBytes()) - residentBefore;
    disk.tick();
    quietBytes = static_cast<double>(heapInUse()) - before;
    quietResident = static_cast<double>(residentBytes()) - residentBefore;
    disk.stop();
  }
  state.counters["file_MB"] = fileBytes / 1e6;
  state.counters["table_MB"] = tableBytes / 1e6;
  state.counters["ratio"] = tableBytes / fileBytes;
  state.counters["target"] = 1.2;
  state.counters["after_load_MB"] = loadedBytes / 1e6;
  state.counters["after_load_resident_MB"] = loadedResident / 1e6;
  state.counters["after_quiet_tick_MB"] = quietBytes / 1e6;
  state.counters["after_quiet_tick_resident_MB"] = quietResident / 1e6;
}
BENCHMARK(BM_MemoryHeld)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessvik::bench
