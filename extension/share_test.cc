// The context menu, the share action and the toolbar item.
#include "extension/share_url.h"

#include "extension/extension_test_support.h"

namespace tessvik::testing {
namespace {

TEST(ShareUrl, PercentEncodesEveryByteAQueryValueCannotHoldAsIs) {
  const std::pair<const char*, const char*> cases[] = {
      {"/Users/u/Tom & Jerry.txt", "/Users/u/Tom%20%26%20Jerry.txt"},
      {"/a+b=c#1?100%", "/a%2Bb%3Dc%231%3F100%25"},
      {"/-._~/\u00E9\u65E5 \t\n", "/-._~/%C3%A9%E6%97%A5%20%09%0A"},
  };
  for (const auto& [path, value] : cases) {
    EXPECT_EQ(shareUrl(path), std::string("tessvik://share?path=") + value);
  }
}

TEST_F(ExtensionTest, OnlyTheItemsMenuOffersTheShareItemAndTheToolbarItemIsNamed) {
  start();
  const MenuItem share{"Partager avec TessVik\u2026", "share:", "",
                       SymbolImage{"person.crop.circle.badge.plus", std::nullopt, std::nullopt}};
  EXPECT_EQ(extension().menu(0), (Menu{"", {share}}));
  for (int kind : {1, 2, 3, 4, -1}) EXPECT_EQ(extension().menu(kind), std::nullopt) << kind;
  images_.missing = {"person.crop.circle.badge.plus"};
  EXPECT_EQ(extension().menu(0)->items.at(0).image, std::nullopt);
  EXPECT_EQ(extension().toolbarItemName(), "TessVik");
  EXPECT_EQ(extension().toolbarItemToolTip(), "TessVik");
}

TEST_F(ExtensionTest, ShareOpensOneUrlForTheFirstItemSelectedAndNothingWithoutOne) {
  start();
  extension().share();
  controller_.selection = std::vector<FileUrl>{};
  extension().share();
  EXPECT_TRUE(workspace_.opened.empty());
  controller_.selection = std::vector<FileUrl>{FileUrl::fromPath("/Users/u/Mes docs/", true),
                                               FileUrl::fromPath("/other", false)};
  extension().share();
  EXPECT_EQ(workspace_.opened,
            std::vector<std::string>{"tessvik://share?path=/Users/u/Mes%20docs"});
}

}  // namespace
}  // namespace tessvik::testing
