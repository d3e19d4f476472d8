// tessvik-badges' check, explain and write, on real files in a scratch folder.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "extension/badge_state.h"
#include "host/fake/fake_host.h"
#include "host/posix/posix_file_system.h"
#include "hosts/badges/check.h"
#include "hosts/badges/explain.h"
#include "hosts/badges/write_command.h"
#include "kit/badge_file_rules.h"
#include "kit/posix_writable_file_system.h"
#include "state/badge_statuses.h"
#include "testing/scratch_home.h"

namespace tessvik::badges {
namespace {

class BadgesTest : public ::testing::Test {
 protected:
  std::string put(const std::string& name, const std::string& content) {
    std::ofstream(dir_ + "/" + name) << content;
    return dir_ + "/" + name;
  }
  static void expectHas(const std::string& text, const std::string& part) {
    EXPECT_NE(text.find(part), std::string::npos) << text << "\n  lacks: " << part;
  }

  PosixFileSystem files_;
  testing::ScratchHome scratch_;  // (a folder removed with all it holds)
  const std::string dir_ = scratch_.home;
};

// Each case is a file (name, items) and its one warning, or its error.
TEST_F(BadgesTest, CheckWarnsOnceForEachThingThatCanNeverShow) {
  const struct {
    const char* name;
    std::string files;
    const char* said;
  } cases[] = {
      {"badges.json", "\"a\":\"synced\",\n\"/b\":\"synced\"",
       "ligne 2, colonne 1 : la clé « /b » n'aura jamais de pastille : elle commence"},
      // An empty status and a badge are fine: one warning only.
      {"badges.json", R"("a":"fini","b":"fini","c":"error","d":"")",
       "2 élément(s) : le statut « fini » n'est pas"},
      {"badges.json", "\"caf\u00e9\":\"synced\",\n\"cafe\u0301\":\"error\"",
       "ligne 2, colonne 1 : la clé « cafe\u0301 » redit la clé « caf\u00e9 » (élément n° 1)"},
      {"Badges.json", R"("a":"synced")", "le nom « Badges.json » n'est pas lu"},
  };
  for (const auto& c : cases) {
    const CheckReport report =
        checkFile(files_, put(c.name, "{\"root\":\"/Sync\",\"files\":{" + c.files + "}}"));
    EXPECT_EQ(report.root, "/Sync");
    ASSERT_EQ(report.warnings.size(), 1u) << c.said;
    expectHas(report.warnings[0], c.said);
  }
}

TEST_F(BadgesTest, ExplainSaysWhatTheFinderShowsOrWhyNothing) {
  put("badges.json",
      R"({"root":"/Sync/","files":{"":"error","/c":"synced","d":"fini","e":"","Sub":"synced"}})");
  put("badges-sub.json", R"({"root":"/Sync/Sub","files":{"f":"conflict"}})");
  put("badges-x.json", "pas du JSON");
  const struct {
    const char* item;
    const char* last;
  } cases[] = {
      {"/Sync/Sub/f", "le Finder affiche la pastille « Conflit à régler »"},
      {"/Sync/d", "le Finder n'affiche rien : « fini » n'est pas une pastille"},
      {"/Sync/e", "le Finder n'affiche aucune pastille (statut vide)"},
      {"/Sync",
       "c'est la racine elle-même : l'extension envoie son statut au Finder au chargement"},
      {"/Sync/Sub", "aucune pastille : c'est la racine elle-même, et la clé « » n'est pas listée"},
      {"/Sync2/a", "aucune pastille : « /Sync2/a » n'est sous aucun dossier synchronisé"},
      {"/Sync/z", "aucune pastille : la clé n'est pas listée dans badges.json"},
      {"/Sync/c", "la clé « /c » avec un « / » de trop"},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> lines = explainItem(files_, dir_, c.item).lines;
    ASSERT_GE(lines.size(), 3u);
    expectHas(lines[0], "journal de l'extension : état illisible (badges-x.json)");
    expectHas(lines.back(), c.last);
  }
}

TEST_F(BadgesTest, WriteTakesLinesAndLeavesTheOldFileWhenItRefuses) {
  kit::PosixWritableFileSystem files;
  WriteRequest request{dir_, "badges.json", "/Sync"};
  ASSERT_TRUE(writeBadgeFile(files, request, "synced a b.txt\r\n\n\tvide\r\nerror c\n"));
  EXPECT_EQ(checkFile(files_, dir_ + "/badges.json").count, 3u);
  // No "\r" kept at the end of a path.
  EXPECT_EQ(explainItem(files_, dir_, "/Sync/a b.txt").lines.back(),
            "le Finder affiche la pastille « Synchronisé »");
  EXPECT_FALSE(writeBadgeFile(files, request, "synced a\nsynced /b\n"));
  EXPECT_FALSE(writeBadgeFile(files, {dir_, "badges.json", {}}, "synced a\n"));  // needs a root
  EXPECT_EQ(checkFile(files_, dir_ + "/badges.json").count, 3u);  // the old file stays
}

// Writers in several processes, all at once, over a file dated just ahead of
// the clock: all wait for that date, then take turns, each dating its file
// a step after the last (the modification date, not the access date), while
// the extension reloads. Its last load is the last content.
TEST_F(BadgesTest, WritersInSeveralProcessesTakeTurnsAndTheExtensionKeepsUp) {
  const std::string path = put("badges.json", R"({"root":"/Sync","files":{}})");
  const struct timespec ahead[2] = {{0, UTIME_OMIT}, {::time(nullptr) + 1, 123'456'789}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), ahead, 0), 0);
  constexpr int kWriters = 4;
  for (int w = 0; w < kWriters; ++w) {
    if (::fork() == 0) {
      kit::PosixWritableFileSystem files;
      const std::string line = std::string(kBadgeStatuses[w]) + " a\n";
      ::_exit(writeBadgeFile(files, {dir_, "badges.json", "/Sync"}, line) ? 0 : 1);
    }
  }
  RecordingLogger log;
  RecordingController controller;
  BadgeState state(files_, log, controller);
  const FileUrl folder = FileUrl::fromPath(dir_, true);
  for (int running = kWriters, status = 0; running > 0; state.reload(folder)) {
    if (::waitpid(-1, &status, WNOHANG) > 0) {
      EXPECT_EQ(status, 0);
      --running;
    }
  }
  state.reload(folder);
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_GE(st.st_mtim.tv_sec * 1'000'000'000L + st.st_mtim.tv_nsec,
            ahead[1].tv_sec * 1'000'000'000L + ahead[1].tv_nsec + kWriters);
  const std::vector<std::string> fresh = explainItem(files_, dir_, "/Sync/a").lines;
  EXPECT_EQ(
      fresh[fresh.size() - 2],
      "statut : « " +
          std::string(state.badgeIdentifierFor(FileUrl::fromPath("/Sync/a", false)).value_or("?")) +
          " »");
}

}  // namespace
}  // namespace tessvik::badges
