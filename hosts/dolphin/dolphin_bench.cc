// Dolphin asks for the overlays of each item it draws, on its UI thread, and
// many times over: the answer comes from memory. 10 roots of 1000 items in a
// temporary folder; the same 256 items asked in turn, as a view redraws.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "hosts/dolphin/dolphin_extension.h"

namespace tessvik {
namespace {

void BM_DolphinOverlays(benchmark::State& state) {
  int argc = 1;
  char name[] = "tessvik_dolphin_bench";
  char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);  // the UI thread's timers need it
  QTemporaryDir dir;
  QDir(dir.path()).mkpath("state/tessvik");
  for (int root = 0; root < 10; ++root) {
    QString json =
        QStringLiteral(R"({"root": "%1/Sync/team-%2", "files": {)").arg(dir.path()).arg(root);
    for (int k = 0; k < 1000; ++k) {
      json +=
          QStringLiteral(R"(%1"Projects/report-%2.pdf": "synced")").arg(k == 0 ? "" : ",").arg(k);
    }
    QFile file(dir.filePath(QStringLiteral("state/tessvik/badges-%1.json").arg(root)));
    if (!file.open(QIODevice::WriteOnly) || file.write((json + "}}").toUtf8()) < 0) {
      state.SkipWithError("cannot write the badge state");
      return;
    }
  }
  DolphinExtension extension([](const QUrl&) {},
                             QFile::encodeName(dir.filePath("state")).constData());
  std::vector<QUrl> items;
  for (int k = 0; k < 256; ++k) {
    items.push_back(QUrl::fromLocalFile(QStringLiteral("%1/Sync/team-%2/Projects/report-%3.pdf")
                                            .arg(dir.path())
                                            .arg(k % 10)
                                            .arg(k * 3)));
  }
  std::size_t answered = 0;
  std::size_t next = 0;
  for (auto _ : state) {
    answered += extension.overlaysFor(items[next]).size();
    next = (next + 1) & 255;
  }
  if (answered != static_cast<std::size_t>(state.iterations())) {
    state.SkipWithError("an item was not answered its emblem");
  }
  state.counters["target_ns"] = 1000;
}
BENCHMARK(BM_DolphinOverlays)->Unit(benchmark::kNanosecond);

}  // namespace
}  // namespace tessvik

BENCHMARK_MAIN();
