// What the end-to-end test cannot reach: overlong lines, the end of input,
// and a handler that stops the reading. (Requests split anywhere across
// writes are checked there, on a real pipe.)
#include "hosts/sim/line_splitter.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessvik::sim {
namespace {

struct Collected {
  std::vector<std::string> lines;
  LineHandler handler(int stopAfter = -1) {
    return [this, stopAfter](const Line& line) {
      lines.push_back(line.overlong ? "<overlong>" : std::string(line.text));
      return stopAfter < 0 || static_cast<int>(lines.size()) < stopAfter;
    };
  }
};

TEST(LineSplitterTest, AnOverlongLineIsDroppedAsItComesAndReportedOnce) {
  LineSplitter splitter(8);
  Collected got;
  splitter.feed("12345678\n1234", got.handler());
  splitter.feed("56789", got.handler());
  splitter.feed("0123456789", got.handler());
  splitter.feed("\nok\n", got.handler());
  EXPECT_EQ(got.lines, (std::vector<std::string>{"12345678", "<overlong>", "ok"}));
}

TEST(LineSplitterTest, TheEndOfInputGivesTheLastUnendedLineOnly) {
  LineSplitter splitter(64);
  Collected got;
  EXPECT_TRUE(splitter.feed("a\n\nla", got.handler()));
  EXPECT_TRUE(splitter.feed("st", got.handler()));
  EXPECT_TRUE(splitter.finish(got.handler()));
  EXPECT_EQ(got.lines, (std::vector<std::string>{"a", "", "last"}));
  LineSplitter ended(64);
  EXPECT_TRUE(ended.feed("a\n", got.handler()));
  EXPECT_TRUE(ended.finish(got.handler()));
  EXPECT_EQ(got.lines.size(), 4u) << "no empty line after a last newline";
}

TEST(LineSplitterTest, StopsAtTheLineThatAsksItTo) {
  LineSplitter splitter(64);
  Collected got;
  EXPECT_FALSE(splitter.feed("a\nquit\nb\n", got.handler(2)));
  EXPECT_FALSE(splitter.feed("c\n", got.handler()));
  EXPECT_FALSE(splitter.finish(got.handler()));
  EXPECT_EQ(got.lines, (std::vector<std::string>{"a", "quit"}));
}

}  // namespace
}  // namespace tessvik::sim
