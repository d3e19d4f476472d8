// Canonical equivalence helpers.
#include "text/unicode.h"

#include <gtest/gtest.h>

namespace tessvik::text {
namespace {

TEST(Unicode, CanonicallyEquivalentTextsAreEqualAndHashAlike) {
  const std::pair<const char*, const char*> equal[] = {
      {"caf\u00E9", "cafe\u0301"},
      {"\u212B", "\u00C5"},                // Ångström sign
      {"\u212A", "K"},                     // Kelvin sign: canonically ASCII
      {"\uAC00", "\u1100\u1161"},          // Hangul syllable
      {"a\u0323\u0307", "a\u0307\u0323"},  // marks reordered by combining class
  };
  for (const auto& [a, b] : equal) {
    EXPECT_TRUE(canonicallyEqual(a, b)) << a;
    EXPECT_EQ(canonicalHash(a), canonicalHash(b)) << a;
  }
  EXPECT_FALSE(canonicallyEqual("cafe", "caf\u00E9"));
  EXPECT_FALSE(canonicallyEqual("a", "A"));
}

TEST(Unicode, AMarkHashesAsItsCompositionWhereverItStands) {
  // The hash reads a text in words of various sizes: a decomposed letter
  // in any of them, at any length, must be seen and normalised.
  for (std::size_t before = 0; before < 40; ++before) {
    for (std::size_t after = 0; after < 20; after += 3) {
      const std::string head(before, 'a');
      const std::string tail(after, 'z');
      EXPECT_EQ(canonicalHash(head + "e\u0301" + tail), canonicalHash(head + "\u00E9" + tail))
          << before << " " << after;
    }
  }
  // Ill-formed bytes hash as the U+FFFD that comparisons see, whatever the
  // script around them.
  for (const char* text : {"caf\u00E9", "\u0414\u043E\u043A", "\u5199\u771F", "plain"}) {
    EXPECT_EQ(canonicalHash(std::string(text) + "\xFF"),
              canonicalHash(std::string(text) + "\uFFFD"))
        << text;
  }
}

TEST(Unicode, PathsHashedInARowHashAsEachAlone) {
  // Each path against the folder kept from the one before: same folder or
  // not, either in NFC or not, rests that are not, ill-formed bytes.
  PathHasher hasher;
  for (const char* path :
       {"Données/a.txt", "Données/b́.txt", "Données/", "Données/c", "Données/dé/K", "Données2/e",
        "plain/́x", "plain/K", "cafÃ/x", "Données/ÿ", "Données", "K/b", "K/b́"}) {
    EXPECT_EQ(hasher.hash(path), canonicalHash(path)) << path;
  }
}

// The rest (NFC, its quick check, ASCII) is checked against ICU's full
// normalisation by the fuzz target path_text.
TEST(Unicode, IllFormedBytesBecomeTheReplacementCharacter) {
  EXPECT_EQ(toValidUtf8("a\xFF"
                        "b\xC3"),
            "a\uFFFD"
            "b\uFFFD");
  EXPECT_EQ(toValidUtf8("caf\u00E9"), "caf\u00E9");
}

}  // namespace
}  // namespace tessvik::text
