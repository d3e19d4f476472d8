// tessvik-finder end to end: the real program on a scratch home folder,
// driven through its JSON-lines protocol (see the README). Only what a real
// process shows is checked here: the protocol on real pipes, start-up on a
// real folder, the real timer seeing a rewrite, signals, the command line
// and exit statuses; the rest is held by the unit tests. Lines are compared
// as the program writes them.
//
// The program's own 1.0 s timer keeps running meanwhile: every check looks
// at all the events up to a reply, and never at how long anything took.
#include <gtest/gtest.h>

#include <csignal>

#include "state/state_test_support.h"
#include "testing/finder_process.h"

namespace tessvik::testing {
namespace {

using Lines = std::vector<std::string>;

const char* const kTimer = R"({"event":"timer"})";
const std::string kToolbar = R"({"request":"toolbar"})";
const char* const kToolbarReply = R"({"reply":"toolbar","name":"TessVik","toolTip":"TessVik"})";

std::string logEvent(const char* level, const std::string& message) {
  return R"({"event":"log","level":")" + std::string(level) +
         R"(","subsystem":"com.tessvik.tessvik.finder","category":"badges","message":")" + message +
         "\"}";
}

class TessvikFinderTest : public ::testing::Test {
 protected:
  FinderProcess start(std::vector<std::string> args = {}) {
    args.insert(args.begin(), {"--home", home_.home});
    return FinderProcess(args);
  }

  ScratchHome home_;
};

TEST_F(TessvikFinderTest, StartsInOrderOnARealFolderThenItsOwnTimerSeesARewrite) {
  const std::string sync = home_.home + "/Sync";
  ASSERT_TRUE(home_.writeState(
      "badges.json", badgeJson(sync, {{"a.txt", "synced"}, {"b", "syncing"}}), 1'500'000'000));
  FinderProcess finder = start();
  // Asked at once: the reply comes after the whole start-up.
  Lines startup = finder.send(kToolbar);
  ASSERT_EQ(startup.size(), 10u);
  EXPECT_EQ(startup[0],
            logEvent("default", "extension démarrée, dossier d'état : " + home_.stateDir));
  for (int i = 1; i < 5; ++i) EXPECT_TRUE(startup[i].starts_with(R"({"event":"setBadgeImage")"));
  // Then the first reload's two pushes and its log line (their content and
  // order are BadgeStateTest's), before the folders to observe.
  EXPECT_EQ(startup[8], R"({"event":"setDirectoryURLs","paths":[")" + sync + "\"]}");
  EXPECT_EQ(startup[9], kToolbarReply);

  // Nobody asks: the program's own timer sees the file rewritten.
  ASSERT_TRUE(home_.writeState(
      "badges.json", badgeJson(sync, {{"a.txt", "error"}, {"b", "syncing"}}), 1'500'000'001));
  std::string event;
  while ((event = finder.readLine()) == kTimer) {
  }
  EXPECT_EQ(event,
            R"({"event":"setBadgeIdentifier","identifier":"error","path":")" + sync + "/a.txt\"}");
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
  EXPECT_EQ(finder.collect(), Lines{R"({"reply":"select"})"});
  // (Its French text is RequestDispatcherTest's.)
  EXPECT_TRUE(finder.collect().at(0).starts_with(R"({"reply":"error","message":)"));
  EXPECT_EQ(finder.collect(), Lines{R"({"reply":"badge"})"});

  // A last line without a newline is read at the end of input; the end of
  // input ends the requests, not the loop and its timer. SIGTERM does.
  finder.write(kToolbar);
  finder.closeInput();
  EXPECT_EQ(finder.collect(), Lines{kToolbarReply});
  EXPECT_EQ(finder.readLine(), kTimer);
  ::kill(finder.pid(), SIGTERM);
  EXPECT_EQ(finder.wait(), 0);
}

TEST_F(TessvikFinderTest, TheCommandLineIsObeyedOrRefusedWithStatusTwo) {
  FinderProcess version({"--version"});
  EXPECT_EQ(version.readLine(), "tessvik-finder 0.1.0");
  EXPECT_EQ(version.wait(), 0);
  FinderProcess help({"--help"});
  EXPECT_TRUE(help.readLine().starts_with("Utilisation : tessvik-finder"));
  EXPECT_EQ(help.wait(), 0);
  EXPECT_EQ(FinderProcess({"--frobnicate"}).wait(), 2);
  // A symbol the simulated system lacks leaves its badge unregistered.
  FinderProcess finder = start({"--without-symbol", "checkmark.circle.fill"});
  EXPECT_EQ(finder.send(kToolbar).at(1),
            logEvent("error", "image de pastille introuvable : checkmark.circle.fill"));
  EXPECT_EQ(finder.send(R"({"request":"quit"})"), Lines{R"({"reply":"quit"})"});
  EXPECT_EQ(finder.wait(), 0);
}

}  // namespace
}  // namespace tessvik::testing
