// The context menu, the share action and the toolbar item.
#include "extension/share_url.h"

#include "testing/test_support.h"

namespace tessvik::testing {
namespace {

// Percent-decodes a query value, as the sync client's application would.
std::string decoded(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '%') {
      out += value[i];
    } else {
      out += static_cast<char>(std::stoi(std::string(value.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    }
  }
  return out;
}

TEST(ShareUrl, EncodesAsAQueryValueThatDecodesBackExactly) {
  EXPECT_EQ(shareUrl("/Volumes/Data/Q3 report.pdf"),
            "tessvik://share?path=/Volumes/Data/Q3%20report.pdf");
  EXPECT_EQ(shareUrl("/a/\u00E9"), "tessvik://share?path=/a/%C3%A9");
  for (const char* path : {"/Users/u/Tom & Jerry.txt", "/a+b.txt", "/x=y", "/#1", "/100%", "/what?",
                           "/\u65E5\u672C/\u0444\u0430\u0439\u043B", "/e\u0301 \t\n"}) {
    const std::string value = shareUrl(path).substr(std::string("tessvik://share?path=").size());
    EXPECT_EQ(value.find_first_of("&=+#? "), std::string::npos) << value;
    EXPECT_EQ(decoded(value), path) << value;
  }
}

TEST_F(ExtensionTest, OnlyTheItemsMenuOffersTheShareItemWhichSharesTheFirstItemSelected) {
  start();
  const MenuItem share{"Partager avec TessVik\u2026", "share:", "",
                       SymbolImage{"person.crop.circle.badge.plus", std::nullopt, std::nullopt}};
  EXPECT_EQ(extension().menu(0), (Menu{"", {share}}));
  for (int kind : {1, 2, 3, 4, -1}) EXPECT_EQ(extension().menu(kind), std::nullopt) << kind;
  images_.missing = {"person.crop.circle.badge.plus"};
  EXPECT_EQ(extension().menu(0)->items.at(0).image, std::nullopt);
  EXPECT_EQ(extension().toolbarItemName(), "TessVik");
  EXPECT_EQ(extension().toolbarItemToolTip(), "TessVik");

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
