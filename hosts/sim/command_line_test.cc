#include "hosts/sim/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessvik::sim {
namespace {

TEST(CommandLineTest, ReadsOptionsWithSeparateOrAttachedValuesAndRefusesMistakes) {
  const std::string_view args[] = {
      "--home", "/tmp/h", "--without-symbol", "a.b", "--without-symbol=c.d", "-h", "--home=/x y"};
  Result<Options> options = parseCommandLine(args);
  ASSERT_TRUE(options) << options.error().description;
  EXPECT_EQ(options.value().home, "/x y");
  EXPECT_EQ(options.value().missingSymbols, (std::set<std::string>{"a.b", "c.d"}));
  EXPECT_TRUE(options.value().help);
  EXPECT_FALSE(options.value().version);
  for (const std::vector<std::string_view>& mistake : std::vector<std::vector<std::string_view>>{
           {"--home"}, {"--home="}, {"--without-symbol"}, {"--help=yes"}, {"--verbose"}, {"x"}}) {
    Result<Options> refused = parseCommandLine(mistake);
    ASSERT_FALSE(refused) << mistake.front();
    EXPECT_NE(refused.error().description.find("option"), std::string::npos);
  }
}

}  // namespace
}  // namespace tessvik::sim
