// The adapter's portable helpers: the guard at the Objective-C boundary, the
// answers captured on the main thread for calls that arrive elsewhere, and
// the filter of pushed badges.
#include <stdexcept>
#include <string>

#include "extension/extension_test_support.h"
#include "hosts/macos/badge_push_filter.h"
#include "hosts/macos/boundary.h"
#include "hosts/macos/fixed_answers.h"

namespace tessvik::testing {
namespace {

TEST(GuardedTest, PassesTheResultThroughAndMakesAnythingThrownTheEmptyResult) {
  EXPECT_EQ(macos::guarded([] { return std::string("TessVik"); }), "TessVik");
  EXPECT_EQ(macos::guarded([]() -> std::string { throw std::bad_alloc(); }), "");
  // Not every throw is a std::exception: the runtime's own exceptions are not.
  EXPECT_EQ(macos::guarded([]() -> int* { throw 42; }), nullptr);
  macos::guarded([] { throw std::logic_error("a void call is dropped"); });
}

TEST_F(ExtensionTest, FixedAnswersHoldEveryKindTheHostDefinesAndNothingElse) {
  start();
  const macos::FixedAnswers answers = macos::FixedAnswers::capture(extension());
  EXPECT_EQ(answers.menu(0), extension().menu(0));
  for (long kind : {-1L, 1L, 3L, 4L, 1L << 40}) EXPECT_EQ(answers.menu(kind), std::nullopt);
  EXPECT_EQ(answers.toolbarItemToolTip, extension().toolbarItemToolTip());
}

TEST(BadgePushFilterTest, PassesTheItemsAskedAboutUpToTheBoundTheLeastRecentFirstAndFolders) {
  macos::BadgePushFilter filter(2);
  const auto file = [](const char* path) { return FileUrl::fromPath(path, false); };
  EXPECT_TRUE(filter.passes(FileUrl::fromPath("/S", true)));  // a root's own badge
  filter.asked(file("/S/a"));
  filter.asked(file("/S/caf\u00e9"));
  filter.asked(file("/S/a"));  // asked again: the other is now the least recent
  EXPECT_TRUE(filter.passes(file("/S/cafe\u0301")));
  filter.asked(FileUrl::fromPath("/S/b/", true));  // lets the least recent go
  EXPECT_TRUE(filter.passes(file("/S/a")));
  EXPECT_TRUE(filter.passes(file("/S/b")));
  EXPECT_FALSE(filter.passes(file("/S/caf\u00e9")));
}

}  // namespace
}  // namespace tessvik::testing
