#include "host/repeat_limited_logger.h"

#include <gtest/gtest.h>

#include "host/fake/fake_host.h"

namespace tessvik {
namespace {

using std::chrono::seconds;
using Line = RecordingLogger::Line;

TEST(RepeatLimitedLoggerTest, AnErrorRepeatedEveryTickIsWrittenOnceAMinuteWithItsCount) {
  RecordingLogger inner;
  std::chrono::steady_clock::time_point now{};
  RepeatLimitedLogger logger(inner, [&] { return now; });
  const auto tick = [&](std::string_view file) {
    logger.log(LogLevel::kError, "état illisible (%{public}s) : %{public}s",
               {file, std::string_view("fin de fichier inattendue")});
    now += seconds(1);
  };
  const Line broken{LogLevel::kError, "état illisible (a.json) : fin de fichier inattendue"};
  const Line other{LogLevel::kError, "état illisible (b.json) : fin de fichier inattendue"};
  for (int i = 0; i < 125; ++i) tick("a.json");  // 0 s to 124 s
  logger.log(LogLevel::kDefault, "état chargé : %ld élément(s) sous %{public}s",
             {1L, std::string_view("/s")});
  tick("b.json");  // another line goes through at once, and does not end the first run
  tick("a.json");
  now += seconds(10);  // mended for a while, then broken again
  tick("a.json");
  const Line repeated{LogLevel::kError, broken.message + " (répété 60 fois depuis une minute)"};
  EXPECT_EQ(inner.lines,
            (std::vector<Line>{broken,
                               repeated,
                               repeated,
                               {LogLevel::kDefault, "état chargé : 1 élément(s) sous /s"},
                               other,
                               broken}));
}

}  // namespace
}  // namespace tessvik
