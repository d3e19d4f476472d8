#include "host/repeat_limited_logger.h"

#include <gtest/gtest.h>

#include "host/fake/fake_host.h"

namespace tessvik {
namespace {

TEST(RepeatLimitedLoggerTest, AnErrorRepeatedEveryTickIsWrittenOnceAMinuteWithItsCount) {
  RecordingLogger inner;
  std::chrono::steady_clock::time_point now{};
  RepeatLimitedLogger logger(inner, [&] { return now; });
  const auto tick = [&](std::string_view file) {
    logger.log(LogLevel::kError, "état illisible (%{public}s)", {file});
    now += std::chrono::seconds(1);
  };
  for (int i = 0; i < 125; ++i) tick("a");  // 0 s to 124 s
  logger.log(LogLevel::kDefault, "état chargé", {});
  tick("b");  // another line goes through at once, and does not end the first run
  tick("a");
  now += std::chrono::seconds(10);  // mended for a while, then broken again
  tick("a");
  using Line = RecordingLogger::Line;
  const Line a{LogLevel::kError, "état illisible (a)"};
  const Line repeated{LogLevel::kError, "état illisible (a) (répété 60 fois depuis une minute)"};
  EXPECT_EQ(inner.lines, (std::vector<Line>{a,
                                            repeated,
                                            repeated,
                                            {LogLevel::kDefault, "état chargé"},
                                            {LogLevel::kError, "état illisible (b)"},
                                            a}));
}

}  // namespace
}  // namespace tessvik
