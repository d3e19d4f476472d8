// The answers captured on the main thread for calls that arrive elsewhere.
#include "hosts/macos/fixed_answers.h"

#include "testing/test_support.h"

namespace tessvik::testing {
namespace {

using macos::FixedAnswers;

// Whatever the thread, the Finder must get the answer the extension itself
// gives: every kind, including those the host does not define.
void expectSameAsTheExtension(FinderSync& extension) {
  const FixedAnswers answers = FixedAnswers::capture(extension);
  for (long kind : {-1L, 0L, 1L, 2L, 3L, 4L, 1L << 40}) {
    SCOPED_TRACE(kind);
    const bool representable = kind == static_cast<int>(kind);
    const std::optional<Menu> direct =
        representable ? extension.menu(static_cast<int>(kind)) : std::nullopt;
    EXPECT_EQ(answers.menu(kind), direct);
  }
  EXPECT_EQ(answers.toolbarItemName, extension.toolbarItemName());
  EXPECT_EQ(answers.toolbarItemToolTip, extension.toolbarItemToolTip());
}

TEST_F(ExtensionTest, FixedAnswersMatchTheExtensionForEveryKind) {
  start();
  expectSameAsTheExtension(extension());
  const FixedAnswers answers = FixedAnswers::capture(extension());
  ASSERT_TRUE(answers.menu(0));
  ASSERT_EQ(answers.menu(0)->items.size(), 1u);
  EXPECT_EQ(answers.menu(0)->items[0].action, "share:");
  EXPECT_EQ(answers.toolbarItemName, "TessVik");
}

TEST_F(ExtensionTest, FixedAnswersKeepAMenuItemWithoutItsMissingImage) {
  images_.missing = {"person.crop.circle.badge.plus"};
  start();
  expectSameAsTheExtension(extension());
  const std::optional<Menu> menu = FixedAnswers::capture(extension()).menu(0);
  ASSERT_TRUE(menu);
  EXPECT_FALSE(menu->items.at(0).image);
}

}  // namespace
}  // namespace tessvik::testing
