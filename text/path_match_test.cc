// Matching an item against a root as Unicode text.
#include "text/path_match.h"

#include <gtest/gtest.h>

namespace tessvik::text {
namespace {

std::optional<std::string> relative(std::string_view item, std::string_view root) {
  const ItemPath path(item);
  std::optional<ItemPath::Match> m = path.under(root);
  if (!m) return std::nullopt;
  return std::string(m->relativePath);
}

TEST(ItemPath, ARootHoldsItselfAndWhatLiesBelowItOnly) {
  EXPECT_EQ(relative("/V/Sync", "/V/Sync"), "");
  EXPECT_EQ(relative("/V/Sync/a/b.txt", "/V/Sync"), "a/b.txt");
  EXPECT_EQ(relative("/V/Sync2/x.txt", "/V/Sync"), std::nullopt);
  EXPECT_EQ(relative("/V/Syn", "/V/Sync"), std::nullopt);
  EXPECT_EQ(relative("/V/Sync/a", "relative/root"), std::nullopt);
  EXPECT_EQ(relative("/V/Sync/a", ""), std::nullopt);
  EXPECT_EQ(relative("/", "/"), "");
  EXPECT_EQ(relative("/V/Sync/a", "/"), "V/Sync/a");
  EXPECT_EQ(relative("/\u0301x", "/"), std::nullopt);  // "/" and the accent are one character
}

TEST(ItemPath, PrecomposedAndDecomposedAccentsMatchBothWays) {
  EXPECT_EQ(relative("/Users/u/R\u00E9sum\u00E9s/cv.pdf", "/Users/u/Re\u0301sume\u0301s"),
            "cv.pdf");
  EXPECT_EQ(relative("/Users/u/Re\u0301sume\u0301s/cv.pdf", "/Users/u/R\u00E9sum\u00E9s"),
            "cv.pdf");
  // The relative path comes out in one form, whatever form the item had.
  EXPECT_EQ(relative("/S/cafe\u0301", "/S"), "caf\u00E9");
}

TEST(ItemPath, APrefixMustEndOnAWholeCharacter) {
  // "e" + U+0301 is one character: "/a/e" is not a folder of it.
  EXPECT_EQ(relative("/a/e\u0301/x", "/a/e"), std::nullopt);
  // "/" + U+0301 is one character, so the root is not followed by a "/".
  EXPECT_EQ(relative("/a/\u0301x", "/a"), std::nullopt);
  // A joiner or a spacing mark fuses with the "/" as well.
  EXPECT_EQ(relative("/a/\u200Dx", "/a"), std::nullopt);
  EXPECT_EQ(relative("/a/\u0903x", "/a"), std::nullopt);
  // Hangul jamo compose into one syllable under NFC; both forms match.
  EXPECT_EQ(relative("/\u1100\u1161/f", "/\uAC00"), "f");
}

TEST(ItemPath, TrimsSlashCharactersAtBothEndsOfTheRest) {
  EXPECT_EQ(relative("/S//a//b//", "/S"), "a//b");
  // A "/" fused with a following mark is not a "/" character: it stays.
  EXPECT_EQ(relative("/S/a/\u0301", "/S"), "a/\u0301");
  // A root ending in a prepending character fuses with the "/" that follows.
  EXPECT_EQ(relative("/S\u0600/a", "/S\u0600"), "a");
}

}  // namespace
}  // namespace tessvik::text
