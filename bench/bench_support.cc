#include "bench/bench_support.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace tessvik::bench {

ExtensionOnDisk::ExtensionOnDisk(const testing::ScratchHome& home) : realHome_(users_) {
  users_.home = home.home;
  logger.defaultEnabled = true;
}

void ExtensionOnDisk::start() {
  Host host{{files_, runLoop_, logger, users_, workspace_, memory_}, controller, images_};
  extension_ = std::make_unique<FinderSync>(host, finderStateFolder(realHome_.path()));
}

void Paired::report(benchmark::State& state, double target, double unit, const char* floorName,
                    const char* ratioName) const {
  state.counters[floorName] = benchmark::Counter(floor_ * unit, benchmark::Counter::kAvgIterations);
  state.counters[ratioName] = floor_ > 0 ? subject_ / floor_ : 0;
  state.counters["target"] = target;
}

std::size_t residentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

std::size_t heapInUse() {
  const struct mallinfo2 info = ::mallinfo2();
  return info.uordblks + info.hblkhd;
}

}  // namespace tessvik::bench
