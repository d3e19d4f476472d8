// The flat array's blocks: small ones from malloc, large ones mapped (on
// Linux), and the moves between them as an array grows and shrinks.
#include "base/flat_array.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace tessvik {
namespace {

bool holdsCount(const FlatArray<std::uint32_t>& array, std::size_t n) {
  if (array.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    if (array[i] != i) return false;
  }
  return true;
}

TEST(FlatArray, KeepsItsElementsAcrossEveryGrowthAndShrink) {
  FlatArray<std::uint32_t> array;
  // Doubling from 16 elements crosses 2 MiB, then grows a large block
  // (remapped, in place or moved).
  for (std::uint32_t i = 0; i < 3'000'000; ++i) array.push_back(i);
  ASSERT_TRUE(holdsCount(array, 3'000'000));
  // Room far past the end, then shrunk back: a large block cut short.
  array.reserve(8'000'000);
  array.shrinkToFit();
  EXPECT_EQ(array.capacity(), 3'000'000u);
  ASSERT_TRUE(holdsCount(array, 3'000'000));
  // A large block made small again.
  array.resizeForOverwrite(1000);
  array.shrinkToFit();
  EXPECT_TRUE(holdsCount(array, 1000));
}

TEST(FlatArray, AssignZerosClearsWhatWasWritten) {
  for (std::size_t n : {100u, 1'000'000u}) {
    FlatArray<std::uint32_t> array;
    array.assignZeros(n);
    array[n - 1] = 7;
    array.assignZeros(n);
    EXPECT_EQ(array[n - 1], 0u) << n;
    array.assignZeros(2 * n);  // a new block
    EXPECT_EQ(array[2 * n - 1], 0u) << n;
  }
}

}  // namespace
}  // namespace tessvik
