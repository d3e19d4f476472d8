#include "host/posix/posix_system_memory.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

namespace tessvik {
namespace {

long residentPages() {
  std::ifstream statm("/proc/self/statm");
  long size = 0;
  long resident = 0;
  statm >> size >> resident;
  return resident;
}

// Whether freed memory goes back to glibc's allocator, not a sanitizer's.
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
#if defined(__has_feature)
#if !__has_feature(address_sanitizer)
#define TESSVIK_GLIBC_ALLOCATOR
#endif
#else
#define TESSVIK_GLIBC_ALLOCATOR
#endif
#endif

TEST(PosixSystemMemoryTest, FreedMemoryInTheMiddleOfTheHeapLeavesTheProcess) {
#if !defined(TESSVIK_GLIBC_ALLOCATOR)
  GTEST_SKIP() << "only glibc's allocator keeps such memory for the process";
#endif
  // 64 MiB in blocks small enough for the heap, then one block kept above
  // them: freed, they are no longer at the heap's top, which glibc trims by
  // itself.
  constexpr std::size_t kBlock = 16 * 1024;
  std::vector<std::unique_ptr<char[]>> blocks;
  for (int i = 0; i < 4096; ++i) {
    blocks.emplace_back(new char[kBlock]);
    std::memset(blocks.back().get(), 1, kBlock);
  }
  const auto kept = std::make_unique<char[]>(kBlock);
  blocks.clear();
  const long before = residentPages();
  PosixSystemMemory().returnFreedMemory();
  // Most of it leaves; how much exactly depends on what else the heap holds
  // (with libc++, some 32 MiB of the 64), none without the trim.
  const long pagesPerMiB = (1 << 20) / sysconf(_SC_PAGESIZE);
  EXPECT_LT(residentPages(), before - 16 * pagesPerMiB);
}

}  // namespace
}  // namespace tessvik
