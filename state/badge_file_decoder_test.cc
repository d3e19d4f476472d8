// Strict decoding of badge state files. Which files are accepted, and the
// table each gives, is checked against an independent reader by the fuzz
// target badge_file_decoder, whose seed corpus the tests replay (numbers of
// every size in ignored members among them); here: what the log says, and
// what the fast paths of a re-read must not get wrong.
#include "state/badge_file_decoder.h"

#include <gtest/gtest.h>

#include "state/state_test_support.h"

namespace tessvik {
namespace {

using testing::diff;
using testing::Entries;

// The bytes as the file system leaves them: room past the end.
FlatArray<char> readBytes(std::string_view json) {
  FlatArray<char> bytes;
  bytes.reserve(json.size() + BadgeFileDecoder::kPadding);
  bytes.assign(json.data(), json.size());
  return bytes;
}

// And where: the place of the fault, in characters, on the line it is on.
TEST(BadgeFileDecoder, SaysInFrenchWhatIsWrongAndWhere) {
  const std::pair<std::string, std::string> cases[] = {
      {R"({"root":"/S","files":{"a":"synced","b":1e400}})",
       "la valeur de « b » dans « files » n'est pas une chaîne (ligne 1, colonne 40)"},
      {R"({"root":"/S","files":{},"n":[1,01]})", "un nombre est mal formé (ligne 1, colonne 32)"},
      // A byte-order mark is no character.
      {"\xEF\xBB\xBF{\"root\":\"/S\",\"files\":{},\"n\":[1,01]}",
       "un nombre est mal formé (ligne 1, colonne 32)"},
      {"{\"root\":\"/S\",\n\"é\":1,\"files\":{},\"t\":tru}",
       "une valeur true, false ou null est mal écrite (ligne 2, colonne 22)"},
      {R"({"root":"/S\x","files":{}})", "une chaîne est mal formée (ligne 1, colonne 15)"},
      {"{\"root\":\"/S\x01\",\"files\":{}}",
       "une chaîne contient un caractère de contrôle (ligne 1, colonne 12)"},
      {"{\"root\":\"/S\",\n\"files\":{\"\xC3\":\"\"}}",
       "le contenu n'est pas de l'UTF-8 valide (ligne 2)"},
      {"{\n \"root\": \"/S\",\n \"files\": {\n  \"a\": \"synced\"\n }\n} x\n",
       "du texte suit la fin du document (ligne 6, colonne 3)"},
      {"{\n \"root\": \"/S\",\n \"files\": {\n  \"a\": \"synced\",\n  \"b\": \"synced\"\n",
       "le document est incomplet (ligne 5, colonne 16)"},
      {"{\n \"root\": \"/S\",\n \"files\": {\n  \"a\": \"synced\",\n  \"b\": \"syn",
       "une chaîne n'est pas terminée (ligne 5, colonne 8)"},
      {"", "le fichier est vide"},
      {"12345678901234567890123", "le document n'est pas un objet JSON"},
      {R"({"files":{}})", "le membre « root » est absent"},
      {R"({"root":1,"files":{}})", "le membre « root » n'est pas une chaîne"},
      {R"({"root":"/S"})", "le membre « files » est absent"},
      {R"({"root":"/S","files":[]})", "le membre « files » n'est pas un objet"},
      // A wrong type is told only once the whole file is known to be JSON.
      {R"({"files":{"a":1},"root":"/S","t":tru})",
       "une valeur true, false ou null est mal écrite (ligne 1, colonne 34)"},
      // The outermost object counts as one level, as in a tree-building reader.
      {R"({"root":"/S","files":{},"x":)" + std::string(1024, '[') + std::string(1024, ']') + "}",
       "le document est imbriqué trop profondément (ligne 1, colonne 1052)"},
  };
  BadgeFileDecoder decoder;
  for (const auto& [json, description] : cases) {
    Result<BadgeFile> file = decoder.decode(json);
    ASSERT_FALSE(file) << json;
    EXPECT_EQ(file.error().description, description) << json;
  }
  // A number in a member the reader ignores counts by its syntax alone.
  EXPECT_TRUE(decoder.decode(R"({"root":"/S","g":18446744073709551616,"files":{}})"));
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
  EXPECT_EQ(diff(second.value().files, first.value().files),
            (Entries{{"a\b", "error"}, {"a\\b", ""}, {"caf\u00E9", "syncing"}}));
}

TEST(BadgeFileDecoder, ARereadThatDropsTheLastKeysOrEveryKeyHoldsNoneOfThem) {
  // Every key that is left stands where it stood: the new table must still
  // not take the previous one's keys whole.
  BadgeFileDecoder decoder;
  Result<BadgeFile> first =
      decoder.decode(R"({"root":"/S","files":{"a":"synced","b":"synced","c":"error"}})");
  ASSERT_TRUE(first);
  Result<BadgeFile> fewer =
      decoder.decode(R"({"root":"/S","files":{"a":"synced","b":"synced"}})", first.value().files);
  ASSERT_TRUE(fewer);
  EXPECT_EQ(fewer.value().files.size(), 2u);
  EXPECT_EQ(fewer.value().files.find("c"), std::nullopt);
  EXPECT_EQ(diff(fewer.value().files, first.value().files), (Entries{{"c", ""}}));
  Result<BadgeFile> none = decoder.decode(R"({"root":"/S","files":{}})", first.value().files);
  ASSERT_TRUE(none);
  EXPECT_TRUE(none.value().files.empty());
  EXPECT_EQ(diff(none.value().files, first.value().files),
            (Entries{{"a", ""}, {"b", ""}, {"c", ""}}));
}

TEST(BadgeFileDecoder, DecodingInPlaceTakesTheBytesForTheKeysOnlyOnSuccess) {
  BadgeFileDecoder decoder;
  // What the table holds, escaped keys and repeated keys and "files" members
  // among them, is checked against the independent reader by the fuzz target;
  // here, that the bytes go to the table, on a first read and on a re-read
  // that shares the first key, then stops.
  FlatArray<char> first = readBytes(R"({"root":"/S","files":{"a":"x","b":"x"}})");
  Result<BadgeFile> previous = decoder.decodeInPlace(first);
  ASSERT_TRUE(previous);
  EXPECT_EQ(first.capacity(), 0u);
  FlatArray<char> bytes = readBytes(R"({"root":"/S","files":{"a":"x","c":"x"}})");
  ASSERT_TRUE(decoder.decodeInPlace(bytes, previous.value().files));
  EXPECT_EQ(bytes.capacity(), 0u);
  // A file that fails leaves its bytes alone.
  for (const char* json : {R"({"root":"/S","files":{"a":"synced"}} x)",
                           R"({"root":"/S","files":{"a":"synced","b":1}})"}) {
    bytes = readBytes(json);
    const std::size_t capacity = bytes.capacity();
    ASSERT_FALSE(decoder.decodeInPlace(bytes)) << json;
    EXPECT_EQ(bytes.capacity(), capacity) << json;
  }
}

}  // namespace
}  // namespace tessvik
