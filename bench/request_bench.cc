// A badge request: find the deepest root holding the item among N roots,
// form the relative path, look its status up, answer the host. Paths are
// ASCII, accented (precomposed, in the files and from the host alike), or
// accented with the host giving them decomposed while the files hold them
// precomposed (no target for the last: it is the rare case).
#include <cstdio>
#include <vector>

#include "bench/bench_support.h"

namespace tessvik::bench {
namespace {

enum Variant { kAscii = 0, kAccented = 1, kDecomposed = 2 };

constexpr std::size_t kKeysPerRoot = 1000;

std::string rootPath(Variant variant, int i) {
  char n[16];
  std::snprintf(n, sizeof n, "%02d", i);
  if (variant == kAscii) return std::string("/Users/lea/Sync/team-") + n;
  return std::string("/Users/léa/Documents synchronisés/Équipe ") + n;
}

std::string relativePath(Variant variant, std::size_t k) {
  const std::string n = std::to_string(k);
  if (variant == kAscii) return "Projects/2024/meetings/report-" + n + ".pdf";
  return "Réunions/Été 2024/Comptes rendus/Procès-verbal " + n + ".pdf";
}

// The decomposed form of the few accented letters used above.
std::string decomposed(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const std::string_view rest = std::string_view(s).substr(i);
    if (rest.starts_with("é")) {
      out += "e\u0301";
    } else if (rest.starts_with("É")) {
      out += "E\u0301";
    } else if (rest.starts_with("è")) {
      out += "e\u0300";
    } else {
      out += s[i];
      continue;
    }
    ++i;  // each of those letters is two bytes
  }
  return out;
}

void BM_BadgeRequest(benchmark::State& state) {
  const int roots = static_cast<int>(state.range(0));
  const Variant variant = static_cast<Variant>(state.range(1));
  testing::ScratchHome home;
  for (int i = 0; i < roots; ++i) {
    std::string json = "{\"root\":\"" + rootPath(variant, i) + "\",\"files\":{";
    for (std::size_t k = 0; k < kKeysPerRoot; ++k) {
      json += (k == 0 ? "\"" : ",\"") + relativePath(variant, k) + "\":\"synced\"";
    }
    json += "}}";
    home.writeState("badges-" + std::to_string(i) + ".json", json, 0);
  }
  // Items spread over every root and many keys, so that no request is the
  // same as the one before.
  std::vector<FileUrl> items;
  for (std::size_t k = 0; k < 256; ++k) {
    const int root = static_cast<int>((k * 7) % static_cast<std::size_t>(roots));
    std::string path =
        rootPath(variant, root) + "/" + relativePath(variant, (k * 13) % kKeysPerRoot);
    if (variant == kDecomposed) path = decomposed(path);
    items.push_back(FileUrl::fromPath(path, false));
  }
  ExtensionOnDisk disk(home);
  disk.start();
  disk.controller.pushes = 0;
  std::size_t next = 0;
  for (auto _ : state) {
    disk.extension().requestBadgeIdentifier(items[next]);
    next = (next + 1) & 255;
  }
  if (disk.controller.pushes != static_cast<std::size_t>(state.iterations())) {
    state.SkipWithError("a request went unanswered");
  }
  if (variant != kDecomposed) state.counters["target_ns"] = variant == kAscii ? 150 : 1000;
}
BENCHMARK(BM_BadgeRequest)
    ->ArgNames({"roots", "ascii0_accented1_decomposed2"})
    ->ArgsProduct({{1, 10, 100}, {kAscii, kAccented, kDecomposed}})
    ->Unit(benchmark::kNanosecond);

}  // namespace
}  // namespace tessvik::bench
