// Canonical equivalence helpers. Equality, hashing alike, NFC, its quick
// check and matching paths are checked against ICU's full normalisation by
// the fuzz target path_text, whose seed corpus the tests replay; here, what
// its inputs seldom reach: a mark at every offset of the hash's word-at-a-
// time reading, and ill-formed bytes in each script.
#include "text/unicode.h"

#include <gtest/gtest.h>

namespace tessvik::text {
namespace {

TEST(Unicode, AMarkOrAnIllFormedByteHashesAsItsNormalFormWhereverItStands) {
  for (std::size_t before = 0; before < 40; ++before) {
    for (std::size_t after = 0; after < 20; after += 3) {
      const std::string head(before, 'a');
      const std::string tail(after, 'z');
      EXPECT_EQ(canonicalHash(head + "e\u0301" + tail), canonicalHash(head + "\u00E9" + tail))
          << before << " " << after;
    }
  }
  // Ill-formed bytes hash as the U+FFFD that comparisons see.
  for (const std::string text : {"caf\u00E9", "\u0414\u043E\u043A", "\u5199\u771F", "plain"}) {
    EXPECT_EQ(canonicalHash(text + "\xFF"), canonicalHash(text + "\uFFFD")) << text;
  }
  EXPECT_EQ(toValidUtf8("x\xFFy\xC3"), "x\uFFFDy\uFFFD");
}

TEST(Unicode, PathsHashedInARowHashAsEachAlone) {
  // Each path against the folder kept from the one before: same folder or
  // not, either in NFC or not, rests that are not, ill-formed bytes.
  PathHasher hasher;
  for (const char* path : {"Données/a.txt", "Données/b́.txt", "Données/", "Données/c",
                           "Données/dé/K", "Données2/e", "plain/́x", "plain/K", "caf\xC3/x",
                           "D\xFFonn\u00E9es/z", "Données/ÿ", "Données", "K/b", "K/b́"}) {
    EXPECT_EQ(hasher.hash(path), canonicalHash(path)) << path;
  }
}

}  // namespace
}  // namespace tessvik::text
