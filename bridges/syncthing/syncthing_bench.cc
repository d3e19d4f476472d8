// The bridge's first full picture of a 100,000-file folder: the index, the
// need list and the errors asked of a Syncthing over HTTP on the loopback
// address (a recorded one, so that Syncthing's own time is left out),
// decoded, the badges worked out, the file written by the kit. Target: under
// 2 s. Beside it, the memory the bridge holds per item afterwards, and the
// cost of working the badges out again when an event comes.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "bridges/syncthing/bridge.h"
#include "bridges/syncthing/fake/recorded_syncthing.h"
#include "bridges/syncthing/folder_picture.h"
#include "bridges/syncthing/syncthing_settings.h"
#include "host/fake/fake_host.h"
#include "testing/scratch_home.h"

namespace tessvik::syncthing {
namespace {

constexpr int kFiles = 100'000;

// 100 folders of 1,000 files, in browse's shape; one file in ten needed.
struct RecordedFolder {
  std::string browse = "[";
  std::string need = R"({"progress":[],"queued":[],"rest":[)";
  RecordedFolder() {
    for (int d = 0; d < kFiles / 1000; ++d) {
      browse +=
          (d ? "," : "") + std::string(R"({"name":"dossier )") + std::to_string(d) +
          R"(","type":"FILE_INFO_TYPE_DIRECTORY","modTime":"2026-12-09T10:00:00Z","children":[)";
      for (int f = 0; f < 1000; ++f) {
        std::string name = "photo de vacances " + std::to_string(f) + ".jpg";
        browse +=
            (f ? "," : "") + std::string(R"({"name":")") + name +
            R"(","type":"FILE_INFO_TYPE_FILE","size":123456,"modTime":"2026-12-09T10:00:00Z"})";
        if (f % 10 == 0)
          need += std::string(need.back() == '[' ? "" : ",") + R"({"name":"dossier )" +
                  std::to_string(d) + "/" + name + R"("})";
      }
      browse += "]}";
    }
    browse += "]";
    need += "]}";
  }
};

void serve(testing::RecordedSyncthing& syncthing, const RecordedFolder& folder) {
  syncthing.answer("/rest/system/status", R"({"startTime":"2026-12-09T10:00:00Z"})");
  syncthing.answer("/rest/config/folders", R"([{"id":"photos","path":"/home/léa/Photos"}])");
  syncthing.answer("/rest/db/browse", folder.browse);
  syncthing.answer("/rest/db/need", folder.need);
  syncthing.answer("/rest/folder/errors", R"({"errors":[]})");
  syncthing.answer("/rest/events", "[]");
}

void BM_SyncthingFirstPicture(benchmark::State& state) {
  RecordedFolder folder;
  testing::RecordedSyncthing syncthing;
  serve(syncthing, folder);
  std::atomic<bool> stop{false};
  RestClient rest(endpointFor(syncthing.address(), false, "key", "").value(), stop);
  RecordingLogger log;
  double bytesPerItem = 0;
  for (auto _ : state) {
    tessvik::testing::ScratchHome home;
    std::size_t before = mallinfo2().uordblks;
    Bridge bridge(rest, log, {home.stateDir, home.home});
    if (!bridge.turn()) state.SkipWithError("the turn failed");
    bytesPerItem = static_cast<double>(mallinfo2().uordblks - before) / kFiles;
    state.PauseTiming();
    log.takeLines();
    state.ResumeTiming();
  }
  state.counters["held_bytes_per_item"] = bytesPerItem;
  state.counters["browse_MB"] = static_cast<double>(folder.browse.size()) / 1e6;
}
BENCHMARK(BM_SyncthingFirstPicture)->Unit(benchmark::kMillisecond)->UseRealTime();

// An event's cost once the facts are in: the badges worked out again.
void BM_SyncthingPictureAgain(benchmark::State& state) {
  FolderFacts facts;
  for (int d = 0; d < kFiles / 1000; ++d)
    for (int f = 0; f < 1000; ++f)
      facts.index.push_back(
          {"dossier " + std::to_string(d) + "/photo " + std::to_string(f), false});
  facts.started = {"dossier 3/photo 7"};
  for (auto _ : state) {
    FolderPicture picture(facts);
    benchmark::DoNotOptimize(picture.hash());
  }
}
BENCHMARK(BM_SyncthingPictureAgain)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessvik::syncthing

BENCHMARK_MAIN();
