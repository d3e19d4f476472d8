// What the end-to-end test cannot reach: overlong lines, the end of input,
// and a handler that stops the reading. (Requests split anywhere across
// writes are checked there, on a real pipe.)
#include "hosts/sim/line_splitter.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessvik::sim {
namespace {

using Lines = std::vector<std::string>;

// Feeds `chunks` to a splitter of lines of at most 8 bytes, then ends the
// input; the handler asks to stop at the line "quit".
Lines split(const Lines& chunks) {
  LineSplitter splitter(8);
  Lines got;
  const LineHandler handler = [&](const Line& line) {
    got.push_back(line.overlong ? "<overlong>" : std::string(line.text));
    return line.text != "quit";
  };
  bool goingOn = true;
  for (const std::string& chunk : chunks) goingOn = splitter.feed(chunk, handler) && goingOn;
  EXPECT_EQ(splitter.finish(handler), goingOn);
  return got;
}

TEST(LineSplitterTest, CutsLinesDropsOverlongOnesAndStopsWhenAsked) {
  // An overlong line is dropped as it comes and reported once.
  EXPECT_EQ(split({"12345678\n1234", "56789", "0123456789", "\nok\n"}),
            (Lines{"12345678", "<overlong>", "ok"}));
  // The end of input gives the last unended line only (after a last "\n",
  // none: see above).
  EXPECT_EQ(split({"a\n\nla", "st"}), (Lines{"a", "", "last"}));
  // Nothing after the line that stops, now or later.
  EXPECT_EQ(split({"a\nquit\nb\n", "c\n", "d"}), (Lines{"a", "quit"}));
}

}  // namespace
}  // namespace tessvik::sim
