#include "hosts/sim/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessvik::sim {
namespace {

Result<Options> parse(std::vector<std::string_view> args) {
  return parseCommandLine(args);
}

TEST(CommandLineTest, ReadsOptionsWithSeparateOrAttachedValues) {
  Result<Options> options =
      parse({"--home", "/tmp/h", "--without-symbol", "a.b", "--without-symbol=c.d", "-h"});
  ASSERT_TRUE(options) << options.error().description;
  EXPECT_EQ(options.value().home, "/tmp/h");
  EXPECT_EQ(options.value().missingSymbols, (std::set<std::string>{"a.b", "c.d"}));
  EXPECT_TRUE(options.value().help);
  EXPECT_FALSE(options.value().version);
  EXPECT_EQ(parse({"--home=/x y"}).value().home, "/x y");
}

TEST(CommandLineTest, RefusesMistakesWithAFrenchMessage) {
  const std::vector<std::vector<std::string_view>> mistakes = {
      {"--home"}, {"--home="}, {"--without-symbol"}, {"--help=yes"}, {"--verbose"}, {"extra"}};
  for (const auto& args : mistakes) {
    Result<Options> options = parse(args);
    ASSERT_FALSE(options) << args.front();
    EXPECT_NE(options.error().description.find("option"), std::string::npos);
  }
}

}  // namespace
}  // namespace tessvik::sim
