// The answers captured on the main thread for calls that arrive elsewhere.
#include "hosts/macos/fixed_answers.h"

#include "testing/test_support.h"

namespace tessvik::testing {
namespace {

TEST_F(ExtensionTest, FixedAnswersHoldEveryKindTheHostDefinesAndNothingElse) {
  start();
  const macos::FixedAnswers answers = macos::FixedAnswers::capture(extension());
  EXPECT_EQ(answers.menu(0), extension().menu(0));
  for (long kind : {-1L, 1L, 3L, 4L, 1L << 40}) EXPECT_EQ(answers.menu(kind), std::nullopt);
  EXPECT_EQ(answers.toolbarItemName, "TessVik");
  EXPECT_EQ(answers.toolbarItemToolTip, "TessVik");
}

}  // namespace
}  // namespace tessvik::testing
