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

TemporaryHome::TemporaryHome() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tessvik-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  home_ = pattern;
  stateDir_ = home_ + "/Library/Application Support/tessvik";
  std::filesystem::create_directories(stateDir_);
}

TemporaryHome::~TemporaryHome() {
  std::error_code ignored;
  std::filesystem::remove_all(home_, ignored);
}

void TemporaryHome::write(const std::string& name, const std::string& content) const {
  std::ofstream out(statePath(name), std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("cannot write " + statePath(name));
}

void TemporaryHome::touch(const std::string& name) {
  const struct timespec times[2] = {{++clock_, 0}, {clock_, 0}};
  if (::utimensat(AT_FDCWD, statePath(name).c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
    throw std::runtime_error("cannot touch " + statePath(name));
  }
}

ExtensionOnDisk::ExtensionOnDisk(const TemporaryHome& home) : realHome_(users_) {
  users_.home = home.home();
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
