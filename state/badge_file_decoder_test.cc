// Strict decoding of badge state files.
#include "state/badge_file_decoder.h"

#include <gtest/gtest.h>

namespace tessvik {
namespace {

Result<BadgeFile> decode(std::string json) {
  BadgeFileDecoder decoder;
  return decoder.decode(json);
}

TEST(BadgeFileDecoder, TakesRootAndFilesAndIgnoresOtherMembers) {
  Result<BadgeFile> file = decode(
      R"({"version":3,"files":{"docs/report.pdf":"synced","":"syncing"},"extra":[1,{"a":null}],)"
      R"("root":"/Users/u/Sync/"})");
  ASSERT_TRUE(file) << file.error().description;
  EXPECT_EQ(file.value().root, "/Users/u/Sync/");
  EXPECT_EQ(file.value().files.size(), 2u);
  EXPECT_EQ(file.value().files.find("docs/report.pdf"), "synced");
  EXPECT_EQ(file.value().files.find(""), "syncing");
}

TEST(BadgeFileDecoder, AnEmptyFilesObjectDecodes) {
  Result<BadgeFile> file = decode(R"({"root":"/S","files":{}})");
  ASSERT_TRUE(file);
  EXPECT_TRUE(file.value().files.empty());
}

TEST(BadgeFileDecoder, FailsWholeOnAnyValueThatIsNotAString) {
  for (const char* value : {"1", "true", "null", "[]", "{}", "{\"x\":\"y\"}"}) {
    Result<BadgeFile> file =
        decode(std::string(R"({"root":"/S","files":{"a":"synced","b":)") + value + "}}");
    ASSERT_FALSE(file) << value;
    EXPECT_EQ(file.error().description, "la valeur de « b » dans « files » n'est pas une chaîne");
  }
}

TEST(BadgeFileDecoder, RejectsWhatIsNotStrictJson) {
  for (const char* json : {
           R"({"root":"/S","files":{}} x)",        // trailing content
           R"({"root":"/S","files":{},})",         // trailing comma
           R"({'root':"/S","files":{}})",          // single quotes
           R"({"root":"/S","files":{},"n":01})",   // bad number in an ignored member
           R"({"root":"/S","files":{},"t":tru})",  // bad literal in an ignored member
           R"({"root":"/S\x","files":{}})",        // bad escape
           R"({"root":"/S\ud800","files":{}})",    // lone surrogate
           "{\"root\":\"/S\x01\",\"files\":{}}",   // raw control character
           "{\"root\":\"/S\xC3\",\"files\":{}}",   // ill-formed UTF-8
           "\"just a string\"",
       }) {
    Result<BadgeFile> file = decode(json);
    EXPECT_FALSE(file) << json;
    if (!file) {
      EXPECT_FALSE(file.error().description.empty());
      EXPECT_EQ(file.error().description.find("JSON document"), std::string::npos)
          << "English leaked: " << file.error().description;
    }
  }
}

TEST(BadgeFileDecoder, EscapesAreDecodedAndAByteOrderMarkIsSkipped) {
  Result<BadgeFile> file =
      decode("\xEF\xBB\xBF{\"root\":\"/S\\/x\",\"files\":{\"caf\\u00e9 \\\"q\\\"\":\"synced\"}}");
  ASSERT_TRUE(file) << file.error().description;
  EXPECT_EQ(file.value().root, "/S/x");
  EXPECT_EQ(file.value().files.keyAt(0), "caf\u00E9 \"q\"");
}

TEST(BadgeFileDecoder, AMemberWrittenTwiceCountsAsWrittenLast) {
  Result<BadgeFile> file =
      decode(R"({"root":"/A","files":{"a":"x"},"root":"/B","files":{"k":"syncing","k":"synced"}})");
  ASSERT_TRUE(file);
  EXPECT_EQ(file.value().root, "/B");
  EXPECT_EQ(file.value().files.size(), 1u);
  EXPECT_EQ(file.value().files.find("k"), "synced");
}

TEST(BadgeFileDecoder, CanonicallyEquivalentKeysAreOneItem) {
  Result<BadgeFile> file =
      decode("{\"root\":\"/S\",\"files\":{\"caf\u00E9\":\"syncing\",\"cafe\u0301\":\"synced\"}}");
  ASSERT_TRUE(file);
  EXPECT_EQ(file.value().files.size(), 1u);
  EXPECT_EQ(file.value().files.find("caf\u00E9"), "synced");
}

TEST(BadgeFileDecoder, OneDecoderServesManyFilesIncludingUnpaddedOnes) {
  BadgeFileDecoder decoder;
  std::string tight = R"({"root":"/S","files":{"a":"synced"}})";
  tight.shrink_to_fit();
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(decoder.decode(tight));
    ASSERT_FALSE(decoder.decode("{"));
  }
}

}  // namespace
}  // namespace tessvik
