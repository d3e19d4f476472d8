// Strict decoding of badge state files.
#include "state/badge_file_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>


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
           R"({"root":"/S","files":{}}})",         // trailing brace
           R"({"root":"/S","files":{}} {})",       // a second document
           R"({"root":"/S","files":{"a" "b"}})",   // missing colon
           R"({"root":"/S","files":{"a":"b"x}})",  // junk after a status
           R"({"root":"/S","files":{"a":"b"x,"c":"d"}})",
           R"({"root":"/S","files":{"a"x:"b"}})",  // junk after a key
           R"({"root":"/S","files":{"a":"b" "c"}})",
           R"({"root":"/S","files":{"a":"b",}})",   // trailing comma in files
           R"({"root":"/S","files":{"a":"b\q"}})",  // bad escape in a status
           R"({"root":"/S","files":{"a\q":"b"}})",  // bad escape in a key
           R"({"root":"/S","files":{},})",          // trailing comma
           R"({'root':"/S","files":{}})",           // single quotes
           R"({"root":"/S","files":{},"n":01})",    // bad number in an ignored member
           R"({"root":"/S","files":{},"t":tru})",   // bad literal in an ignored member
           R"({"root":"/S\x","files":{}})",         // bad escape
           R"({"root":"/S\ud800","files":{}})",     // lone surrogate
           "{\"root\":\"/S\x01\",\"files\":{}}",    // raw control character
           "{\"root\":\"/S\xC3\",\"files\":{}}",    // ill-formed UTF-8
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

TEST(BadgeFileDecoder, AWrongTypeIsReportedOnlyOnceTheWholeFileIsKnownToBeJson) {
  Result<BadgeFile> broken = decode(R"({"files":{"a":1},"root":"/S","t":tru})");
  ASSERT_FALSE(broken);
  EXPECT_EQ(broken.error().description, "une valeur true, false ou null est mal écrite");
  // A later "files" replaces the one that failed.
  Result<BadgeFile> replaced =
      decode(R"({"root":"/S","files":{"a":1,"z":"x"},"files":{"b":"synced"}})");
  ASSERT_TRUE(replaced) << replaced.error().description;
  EXPECT_EQ(replaced.value().files.size(), 1u);
  EXPECT_EQ(replaced.value().files.find("b"), "synced");
}

TEST(BadgeFileDecoder, NestsAsDeepAsATreeBuildingReaderAllowsAndNoDeeper) {
  // The outermost object counts as one level.
  const auto nested = [](int depth) {
    return R"({"root":"/S","files":{},"x":)" + std::string(depth - 1, '[') +
           std::string(depth - 1, ']') + "}";
  };
  EXPECT_TRUE(decode(nested(1024)));
  Result<BadgeFile> deep = decode(nested(1025));
  ASSERT_FALSE(deep);
  EXPECT_EQ(deep.error().description, "le document est imbriqué trop profondément");
  Result<BadgeFile> deepArray = decode(std::string(1025, '[') + std::string(1025, ']'));
  ASSERT_FALSE(deepArray);
  EXPECT_EQ(deepArray.error().description, "le document est imbriqué trop profondément");
}

TEST(BadgeFileDecoder, ARereadComparesKeysAsTextNotAsTheBytesWritten) {
  BadgeFileDecoder decoder;
  // First: the key a\b (a backslash between a and b), and an accented key
  // written with an escape.
  Result<BadgeFile> first =
      decoder.decode(R"({"root":"/S","files":{"a\\b":"synced","caf\u00e9":"synced"}})");
  ASSERT_TRUE(first);
  // Then the same three bytes a\b, which read as a and a backspace; the
  // accented key is now written as it reads.
  Result<BadgeFile> second =
      decoder.decode("{\"root\":\"/S\",\"files\":{\"a\\b\":\"error\",\"caf\u00E9\":\"syncing\"}}",
                     first.value().files);
  ASSERT_TRUE(second);
  const StatusTable& files = second.value().files;
  EXPECT_EQ(files.find("a\b"), "error");
  EXPECT_EQ(files.find("a\\b"), std::nullopt);
  EXPECT_EQ(files.find("caf\u00E9"), "syncing");
  std::vector<std::pair<std::string, std::string>> changes;
  files.diff(first.value().files, [&](std::string_view key, std::string_view status) {
    changes.emplace_back(key, status);
  });
  EXPECT_EQ(changes, (std::vector<std::pair<std::string, std::string>>{
                         {"a\b", "error"}, {"caf\u00E9", "syncing"}, {"a\\b", ""}}));
}

TEST(BadgeFileDecoder, ARereadOfATableWhoseKeysHoldNoBytes) {
  BadgeFileDecoder decoder;
  const std::string json = R"({"root":"/S","files":{"":"synced"}})";
  Result<BadgeFile> first = decoder.decode(json);
  ASSERT_TRUE(first);
  Result<BadgeFile> again = decoder.decode(json, first.value().files);
  ASSERT_TRUE(again);
  EXPECT_EQ(again.value().files.find(""), "synced");
}

TEST(BadgeFileDecoder, EscapesAreDecodedAndAByteOrderMarkIsSkipped) {
  Result<BadgeFile> file =
      decode("\xEF\xBB\xBF{\"root\":\"/S\\/x\",\"files\":{\"caf\\u00e9 \\\"q\\\"\":\"synced\"}}");
  ASSERT_TRUE(file) << file.error().description;
  EXPECT_EQ(file.value().root, "/S/x");
  EXPECT_EQ(file.value().files.keyAt(0), "caf\u00E9 \"q\"");
}

TEST(BadgeFileDecoder, AnEscapeIsSeenWhereverItStandsInAKeyOrAStatus) {
  for (std::size_t length = 0; length < 20; ++length) {
    for (std::size_t at = 0; at <= length; ++at) {
      std::string written(length, 'k');
      written.insert(at, "\\/");
      std::string text(length, 'k');
      text.insert(at, "/");
      Result<BadgeFile> file =
          decode(R"({"root":"/S","files":{")" + written + R"(":")" + written + R"("}})");
      ASSERT_TRUE(file) << written;
      EXPECT_EQ(file.value().files.keyAt(0), text);
      EXPECT_EQ(file.value().files.statusAt(0), text);
    }
  }
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

// The bytes as the file system leaves them: room past the end.
FlatArray<char> readBytes(std::string_view json) {
  FlatArray<char> bytes;
  bytes.reserve(json.size() + BadgeFileDecoder::kPadding);
  bytes.assign(json.data(), json.size());
  return bytes;
}

TEST(BadgeFileDecoder, DecodingInPlaceWritesTheKeysOverTheBytesAndTakesThem) {
  BadgeFileDecoder decoder;
  // Escaped keys (shorter as text), a key written twice, and a first "files"
  // member whose keys are written over, then again by the second one.
  FlatArray<char> bytes = readBytes(
      R"({"files":{"zz":"x"},"root":"/S","files":{"a\"q\\b":"synced","caf\u00e9":"error",)"
      R"("a\"q\\b":"syncing","tail/of/the/file.txt":"synced"},"n":[1,2]})");
  Result<BadgeFile> file = decoder.decodeInPlace(bytes);
  ASSERT_TRUE(file) << file.error().description;
  const StatusTable& files = file.value().files;
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files.keyAt(0), "a\"q\\b");
  EXPECT_EQ(files.keyAt(1), "caf\u00E9");
  EXPECT_EQ(files.keyAt(2), "tail/of/the/file.txt");
  EXPECT_EQ(files.find("a\"q\\b"), "syncing");
  EXPECT_EQ(files.find("cafe\u0301"), "error");
  EXPECT_EQ(files.find("zz"), std::nullopt);
  EXPECT_EQ(bytes.capacity(), 0u);  // taken by the table

  // A re-read whose keys change halfway: the first ones, shared until then,
  // are written over the new bytes too.
  bytes =
      readBytes(R"({"root":"/S","files":{"a\"q\\b":"synced","caf\u00e9":"error","new":"synced"}})");
  Result<BadgeFile> again = decoder.decodeInPlace(bytes, files);
  ASSERT_TRUE(again) << again.error().description;
  std::vector<std::pair<std::string, std::string>> changes;
  again.value().files.diff(files, [&](std::string_view key, std::string_view status) {
    changes.emplace_back(key, status);
  });
  EXPECT_EQ(changes, (std::vector<std::pair<std::string, std::string>>{
                         {"a\"q\\b", "synced"}, {"new", "synced"}, {"tail/of/the/file.txt", ""}}));
  EXPECT_EQ(again.value().files.find("caf\u00E9"), "error");
}

TEST(BadgeFileDecoder, AFileThatFailsLeavesItsBytesMemoryWithTheCaller) {
  BadgeFileDecoder decoder;
  for (const char* json :
       {R"({"root":"/S","files":{"a":"synced"}} x)",
        R"({"root":"/S","files":{"a":"synced","b":1}})", R"({"files":{"a":"synced"}})"}) {
    FlatArray<char> bytes = readBytes(json);
    const std::size_t capacity = bytes.capacity();
    ASSERT_FALSE(decoder.decodeInPlace(bytes)) << json;
    EXPECT_EQ(bytes.capacity(), capacity) << json;
  }
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
