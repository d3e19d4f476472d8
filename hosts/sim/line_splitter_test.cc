// Requests may arrive several in one write or split anywhere across writes.
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

TEST(LineSplitterTest, GivesTheSameLinesWhereverTheInputIsCut) {
  const std::string input = "{\"a\":1}\n\n{\"b\":\"\xC3\xA9\"}\nlast";
  const std::vector<std::string> expected = {"{\"a\":1}", "", "{\"b\":\"\xC3\xA9\"}", "last"};
  for (std::size_t cut = 0; cut <= input.size(); ++cut) {
    for (std::size_t cut2 = cut; cut2 <= input.size(); ++cut2) {
      LineSplitter splitter(1024);
      Collected got;
      EXPECT_TRUE(splitter.feed(input.substr(0, cut), got.handler()));
      EXPECT_TRUE(splitter.feed(input.substr(cut, cut2 - cut), got.handler()));
      EXPECT_TRUE(splitter.feed(input.substr(cut2), got.handler()));
      EXPECT_TRUE(splitter.finish(got.handler()));
      ASSERT_EQ(got.lines, expected) << "cut at " << cut << " and " << cut2;
    }
  }
}

TEST(LineSplitterTest, AnOverlongLineIsDroppedAsItComesAndReportedOnce) {
  LineSplitter splitter(8);
  Collected got;
  splitter.feed("12345678\n1234", got.handler());
  splitter.feed("56789", got.handler());
  splitter.feed("0123456789", got.handler());
  splitter.feed("\nok\n", got.handler());
  EXPECT_EQ(got.lines, (std::vector<std::string>{"12345678", "<overlong>", "ok"}));
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
