// The adapter's guard at the Objective-C boundary.
#include "hosts/macos/boundary.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>

namespace tessvik::macos {
namespace {

TEST(GuardedTest, PassesTheResultThroughWhenNothingIsThrown) {
  EXPECT_EQ(guarded([] { return std::string("TessVik"); }), "TessVik");
  EXPECT_EQ(guarded([] { return std::optional<int>(3); }), std::optional<int>(3));
  int calls = 0;
  guarded([&] { ++calls; });
  EXPECT_EQ(calls, 1);
}

TEST(GuardedTest, AnythingThrownBecomesTheEmptyResult) {
  EXPECT_EQ(guarded([]() -> std::string { throw std::bad_alloc(); }), "");
  EXPECT_EQ(guarded([]() -> std::optional<int> { throw std::runtime_error("x"); }), std::nullopt);
  // Not every throw is a std::exception: the runtime's own exceptions are not.
  EXPECT_EQ(guarded([]() -> int* { throw 42; }), nullptr);
  struct Unrelated {};
  EXPECT_EQ(guarded([]() -> long { throw Unrelated{}; }), 0);
}

TEST(GuardedTest, AVoidCallThatThrowsIsDroppedAfterWhatItDid) {
  int steps = 0;
  guarded([&] {
    ++steps;
    throw std::logic_error("half done");
  });
  EXPECT_EQ(steps, 1);
  static_assert(noexcept(guarded([]() -> int { throw 1; })));
}

}  // namespace
}  // namespace tessvik::macos
