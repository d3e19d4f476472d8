#include "bridges/syncthing/folder_picture.h"

#include <gtest/gtest.h>

#include <map>

namespace tessvik::syncthing {
namespace {

std::map<std::string, std::string> statuses(const FolderFacts& facts) {
  FolderPicture picture(facts);
  std::map<std::string, std::string> out;
  for (const auto& [path, status] : picture.items()) out[std::string(path)] = statusName(status);
  return out;
}

TEST(FolderPicture, EachItemAndEachFolderWithWhatItHolds) {
  FolderFacts facts;
  facts.index = {{"docs", true},
                 {"docs/a.txt", false},
                 {"docs/deep", true},
                 {"docs/deep/b.txt", false},
                 {"photos", true},
                 {"photos/c.jpg", false},
                 {"photos/c.sync-conflict-20261209-101500-ABCD123.jpg", false},
                 {"music", true},
                 {"music/d.mp3", false},
                 {"quiet.txt", false}};
  facts.needed = {"docs/deep/b.txt", "incoming/new.txt"};  // the second not indexed yet
  facts.started = {"music/d.mp3"};
  facts.errors = {"photos/c.jpg", "docs/a.txt"};
  EXPECT_EQ(statuses(facts), (std::map<std::string, std::string>{
                                 {"", "error"},
                                 {"docs", "error"},
                                 {"docs/a.txt", "error"},
                                 {"docs/deep", "syncing"},
                                 {"docs/deep/b.txt", "syncing"},
                                 {"incoming", "syncing"},
                                 {"incoming/new.txt", "syncing"},
                                 {"music", "syncing"},
                                 {"music/d.mp3", "syncing"},
                                 // An error outranks the conflict on the same item.
                                 {"photos", "error"},
                                 {"photos/c.jpg", "error"},
                                 {"photos/c.sync-conflict-20261209-101500-ABCD123.jpg", "conflict"},
                                 {"quiet.txt", "synced"},
                             }));
  facts.errors.clear();
  EXPECT_EQ(statuses(facts)["photos"], "conflict");
  EXPECT_EQ(statuses(facts)["photos/c.jpg"], "conflict");
  EXPECT_EQ(statuses(facts)[""], "conflict");
}

TEST(FolderPicture, ConflictCopiesAreTheirNameAlone) {
  EXPECT_EQ(conflictOriginal("a/report.sync-conflict-20261209-101500-ABCD123.pdf"), "a/report.pdf");
  EXPECT_EQ(conflictOriginal("Makefile.sync-conflict-20261209-101500-7QXZ2KL"), "Makefile");
  EXPECT_EQ(conflictOriginal("x.sync-conflict-2026120-101500-ABCD123.txt"), std::nullopt);
  EXPECT_EQ(conflictOriginal("x.sync-conflict-20261209-101500-ABC.txt"), std::nullopt);
  EXPECT_EQ(conflictOriginal(".sync-conflict-20261209-101500-ABCD123"), std::nullopt);
  // The folder's name is not the copy's.
  EXPECT_EQ(conflictOriginal("d.sync-conflict-20261209-101500-ABCD123/x"), std::nullopt);
}

}  // namespace
}  // namespace tessvik::syncthing
