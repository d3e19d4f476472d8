#include "hosts/sim/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessvik::sim {
namespace {

std::optional<Options> parse(std::vector<std::string_view> args, std::string& error) {
  return parseCommandLine(args, error);
}

TEST(CommandLineTest, ReadsOptionsWithSeparateOrAttachedValues) {
  std::string error;
  std::optional<Options> options =
      parse({"--home", "/tmp/h", "--without-symbol", "a.b", "--without-symbol=c.d"}, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->home, "/tmp/h");
  EXPECT_EQ(options->missingSymbols, (std::set<std::string>{"a.b", "c.d"}));
  EXPECT_FALSE(options->help || options->version);

  options = parse({"--home=/x y", "--version", "-h"}, error);
  ASSERT_TRUE(options);
  EXPECT_EQ(options->home, "/x y");
  EXPECT_TRUE(options->help && options->version);
}

TEST(CommandLineTest, RefusesMistakesWithAFrenchMessage) {
  const std::vector<std::vector<std::string_view>> mistakes = {
      {"--home"}, {"--home="}, {"--without-symbol"}, {"--help=yes"}, {"--verbose"}, {"extra"}};
  for (const auto& args : mistakes) {
    std::string error;
    EXPECT_FALSE(parse(args, error)) << args.front();
    EXPECT_NE(error.find("option"), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace tessvik::sim
