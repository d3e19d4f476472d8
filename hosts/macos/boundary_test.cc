// The adapter's guard at the Objective-C boundary.
#include "hosts/macos/boundary.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>

namespace tessvik::macos {
namespace {

TEST(GuardedTest, PassesTheResultThroughAndMakesAnythingThrownTheEmptyResult) {
  EXPECT_EQ(guarded([] { return std::string("TessVik"); }), "TessVik");
  int calls = 0;
  guarded([&] { ++calls; });
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(guarded([]() -> std::string { throw std::bad_alloc(); }), "");
  // Not every throw is a std::exception: the runtime's own exceptions are not.
  EXPECT_EQ(guarded([]() -> int* { throw 42; }), nullptr);
  guarded([] { throw std::logic_error("a void call is dropped"); });
  static_assert(noexcept(guarded([]() -> int { throw 1; })));
}

}  // namespace
}  // namespace tessvik::macos
