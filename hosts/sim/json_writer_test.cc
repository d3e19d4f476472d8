// The event writer must give valid JSON whatever bytes a path holds.
#include "hosts/sim/json_writer.h"

#include <gtest/gtest.h>

#include "testing/json_value.h"
#include "text/unicode.h"

namespace tessvik::sim {
namespace {

using Members = std::map<std::string, std::string>;

TEST(JsonWriterTest, EveryByteGivesValidJsonThatReadsBackAsTheValidText) {
  // Every byte value, alone and in a run: controls, quotes, backslashes,
  // stray continuation bytes, truncated sequences.
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string cases[] = {
      all,        "\"\\/\b\f\n\r\t\x01\x1f\x7f",  "caf\xC3",
      "\xE2\x80", "ok \xF0\x9F\x98\x80 \xC3\xA9", std::string("nul\0nul", 7)};
  for (const std::string& text : cases) {
    JsonWriter json;
    const std::string line = json.beginObject().key(text).value(text).endObject().take();
    ASSERT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(tessvik::testing::jsonMembers(line),
              (Members{{text::toValidUtf8(text), text::toValidUtf8(text)}}))
        << line;
  }
}

TEST(JsonWriterTest, NestsWithCommasAndWritesNumbersAsJsonCan) {
  JsonWriter json;
  json.beginObject().key("a").beginArray().value(64.0).value(0.5).value(-3.0).endArray();
  json.key("b").beginObject().endObject().key("c").null().key("d").value(1.0 / 0.0);
  json.key("e").beginArray().beginArray().endArray().value("x").endArray().endObject();
  EXPECT_EQ(json.take(), R"({"a":[64,0.5,-3],"b":{},"c":null,"d":null,"e":[[],"x"]})");
}

}  // namespace
}  // namespace tessvik::sim
