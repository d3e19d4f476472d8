// tessvik-finder end to end: the real program on a temporary home folder,
// driven through its JSON-lines protocol (see the README) with real badge
// state files. Only what a real process shows is checked here: the protocol
// on real pipes, start-up on a real file system, the real timer, signals and
// exit statuses, and one walk through the whole system; the rest is held by
// the unit tests. Lines are compared as the program writes them.
//
// The program's own 1.0 s timer keeps running meanwhile, so a change may be
// picked up by it rather than by the tick we ask for: every check looks at
// all the events up to a reply, and never at how long anything took.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "testing/finder_process.h"
#include "testing/test_support.h"

namespace tessvik::testing {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const char* const kTimer = R"({"event":"timer"})";
const char* const kTick = R"({"request":"tick"})";
const char* const kToolbar = R"({"request":"toolbar"})";
const char* const kToolbarReply = R"({"reply":"toolbar","name":"TessVik","toolTip":"TessVik"})";

std::string logEvent(const char* level, const std::string& message) {
  return R"({"event":"log","level":")" + std::string(level) +
         R"(","subsystem":"com.tessvik.tessvik.finder","category":"badges","message":")" + message +
         "\"}";
}
std::string loaded(int items, const std::string& root) {
  return logEvent("default", "état chargé : " + std::to_string(items) + " élément(s) sous " + root);
}
std::string push(const char* identifier, const std::string& path) {
  return R"({"event":"setBadgeIdentifier","identifier":")" + std::string(identifier) +
         R"(","path":")" + path + "\"}";
}
std::string observed(const std::string& paths) {
  return R"({"event":"setDirectoryURLs","paths":[)" + paths + "]}";
}
std::string reply(const char* name) {
  return R"({"reply":")" + std::string(name) + "\"}";
}
// The order of one reload's events is not part of the protocol.
Lines sorted(Lines lines) {
  std::sort(lines.begin(), lines.end());
  return lines;
}

class TessvikFinderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (kFinderPath == nullptr) GTEST_SKIP() << "tessvik-finder is not built";
    std::string pattern = (fs::temp_directory_path() / "tessvik-finder-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    home_ = pattern;
    stateDir_ = home_ + "/Library/Application Support/tessvik";
    fs::create_directories(stateDir_);
  }
  void TearDown() override {
    std::error_code ignored;
    if (!home_.empty()) fs::remove_all(home_, ignored);
  }

  FinderProcess start(std::vector<std::string> args = {}) {
    args.insert(args.begin(), {"--home", home_});
    return FinderProcess(args);
  }

  // Puts `name` in the state folder whole, as the sync client does: written
  // aside with a date no earlier write used, then renamed into place, so the
  // program's own timer never sees a half-written file or a stale date.
  void writeState(const std::string& name, const std::string& root,
                  const std::vector<std::pair<std::string, std::string>>& files) {
    static std::int64_t clock = 1'500'000'000;
    ++clock;
    const std::string staging = home_ + "/staging";
    std::ofstream(staging, std::ios::binary | std::ios::trunc) << badgeJson(root, files);
    const timespec times[2] = {{clock, 0}, {clock, 7}};
    ASSERT_EQ(::utimensat(AT_FDCWD, staging.c_str(), times, 0), 0);
    ASSERT_EQ(::rename(staging.c_str(), (stateDir_ + "/" + name).c_str()), 0);
  }

  std::string home_;
  std::string stateDir_;
};

TEST_F(TessvikFinderTest, StartsInOrderBeforeReadingRequestsThenPollsOnItsOwnTimer) {
  const std::string sync = home_ + "/Sync";
  writeState("badges.json", sync, {{"a.txt", "synced"}, {"docs/r.pdf", "syncing"}});
  FinderProcess finder = start();
  // Asked at once: the reply comes after the whole start-up.
  const Lines startup = finder.send(kToolbar);
  ASSERT_EQ(startup.size(), 1u + 4u + 4u + 1u);
  EXPECT_EQ(startup[0], logEvent("default", "extension démarrée, dossier d'état : " + stateDir_));
  const std::string badges[] = {"synced", "syncing", "conflict", "error"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(
        startup[1 + i].starts_with(R"({"event":"setBadgeImage","identifier":")" + badges[i] + "\""))
        << startup[1 + i];
  }
  EXPECT_EQ(sorted({startup.begin() + 5, startup.end() - 2}),
            sorted({push("synced", sync + "/a.txt"), push("syncing", sync + "/docs/r.pdf"),
                    loaded(2, sync)}));
  EXPECT_EQ(startup[8], observed('"' + sync + '"'));
  EXPECT_EQ(startup[9], kToolbarReply);

  // Nobody asks: the program's own timer finds a new file.
  writeState("badges-2.json", home_ + "/Photos", {{"x.jpg", "error"}});
  EXPECT_EQ(finder.next(), kTimer);
  std::string event;
  while ((event = finder.next()) == kTimer) {  // a tick may have come just before the write
  }
  EXPECT_EQ(event, push("error", home_ + "/Photos/x.jpg"));

  ::kill(finder.pid(), SIGINT);
  EXPECT_EQ(finder.wait(), 0);
}

TEST_F(TessvikFinderTest, EveryLineGetsOneReplyHoweverItArrives) {
  FinderProcess finder = start();
  finder.send(kToolbar);
  // Several requests in one write, a bad line among them, the last one split
  // inside a character across two writes: one reply each, in order, and the
  // session goes on.
  finder.write(
      "{\"request\":\"select\",\"paths\":null}\nnot json\n"
      "{\"request\":\"badge\",\"path\":\"/x/caf\xC3");
  finder.write("\xA9\"}\n");
  EXPECT_EQ(finder.collect(), Lines{reply("select")});
  EXPECT_EQ(finder.collect(), Lines{R"({"reply":"error","message":"requête illisible : )"
                                    R"(la ligne n'est pas un texte JSON valide"})"});
  EXPECT_EQ(finder.collect(), Lines{reply("badge")});

  // A last line without a newline is read at the end of input; the end of
  // input ends the requests, not the loop and its timer. SIGTERM does.
  finder.write(kToolbar);
  finder.closeInput();
  EXPECT_EQ(finder.collect(), Lines{kToolbarReply});
  EXPECT_EQ(finder.next(), kTimer);
  ::kill(finder.pid(), SIGTERM);
  EXPECT_EQ(finder.wait(), 0);
}

TEST_F(TessvikFinderTest, AWholeSessionAsTheReadmeWalksThroughIt) {
  FinderProcess finder = start();
  finder.send(kToolbar);
  const std::string sync = home_ + "/Sync";
  const std::string report = sync + "/docs/report.pdf";
  const std::string photo = sync + "/photo.jpg";
  writeState("badges.json", sync, {{"docs/report.pdf", "syncing"}, {"photo.jpg", "synced"}});
  EXPECT_EQ(sorted(finder.send(kTick)),
            sorted({push("syncing", report), push("synced", photo), loaded(2, sync),
                    observed('"' + sync + '"'), reply("tick")}));
  EXPECT_EQ(finder.send(R"({"request":"badge","path":")" + report + "\"}"),
            (Lines{push("syncing", report), reply("badge")}));

  EXPECT_EQ(finder.send(R"({"request":"select","paths":[")" + sync + "/Q3 report & notes.pdf\"]}"),
            Lines{reply("select")});
  EXPECT_EQ(finder.send(R"({"request":"share"})"),
            (Lines{R"({"event":"openURL","url":"tessvik://share?path=)" + sync +
                       "/Q3%20report%20%26%20notes.pdf\"}",
                   reply("share")}));

  // Removed: every item it listed loses its badge, its root is no longer
  // observed.
  ASSERT_EQ(::unlink((stateDir_ + "/badges.json").c_str()), 0);
  EXPECT_EQ(sorted(finder.send(kTick)),
            sorted({push("", report), push("", photo), observed(""), reply("tick")}));
  EXPECT_EQ(finder.send(R"({"request":"quit"})"), Lines{reply("quit")});
  EXPECT_EQ(finder.wait(), 0);
}

TEST_F(TessvikFinderTest, TheCommandLineIsObeyedOrRefusedWithStatusTwo) {
  FinderProcess version({"--version"});
  EXPECT_EQ(version.readLine(), "tessvik-finder 0.1.0");
  EXPECT_EQ(version.wait(), 0);
  FinderProcess help({"--help"});
  EXPECT_TRUE(help.readLine().value_or("").starts_with("Utilisation : tessvik-finder"));
  EXPECT_EQ(help.wait(), 0);
  EXPECT_EQ(FinderProcess({"--frobnicate"}).wait(), 2);
  // A symbol the simulated system lacks leaves its badge unregistered.
  FinderProcess finder = start({"--without-symbol", "checkmark.circle.fill"});
  EXPECT_EQ(finder.send(kToolbar).at(1),
            logEvent("error", "image de pastille introuvable : checkmark.circle.fill"));
}

}  // namespace
}  // namespace tessvik::testing
