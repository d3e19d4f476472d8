// tessvik-finder end to end: the real program on a temporary home folder,
// driven through its JSON-lines protocol (see the README) with real badge
// state files. Only what a real process shows is checked here: the protocol
// on real pipes, start-up on a real file system, the real timer, signals and
// exit statuses, and one walk through the whole system; the rest is held by
// the unit tests.
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
#include "testing/json_value.h"
#include "testing/test_support.h"

namespace tessvik::testing {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<JsonValue>;

const JsonValue kTimer = JsonValue::object({{"event", "timer"}});
const char* const kTick = R"({"request":"tick"})";
const char* const kToolbar = R"({"request":"toolbar"})";

JsonValue logEvent(const char* level, const std::string& message) {
  return JsonValue::object({{"event", "log"},
                            {"level", level},
                            {"subsystem", "com.tessvik.tessvik.finder"},
                            {"category", "badges"},
                            {"message", message}});
}
JsonValue loaded(int items, const std::string& root) {
  return logEvent("default", "état chargé : " + std::to_string(items) + " élément(s) sous " + root);
}
JsonValue push(const char* identifier, const std::string& path) {
  return JsonValue::object(
      {{"event", "setBadgeIdentifier"}, {"identifier", identifier}, {"path", path}});
}
JsonValue observed(const std::vector<std::string>& paths) {
  return JsonValue::object({{"event", "setDirectoryURLs"}, {"paths", JsonValue::strings(paths)}});
}
JsonValue reply(const char* name) {
  return JsonValue::object({{"reply", name}});
}
JsonValue error(const char* message) {
  return JsonValue::object({{"reply", "error"}, {"message", message}});
}
std::string badgeRequest(const std::string& path) {
  return JsonValue::object({{"request", "badge"}, {"path", path}}).text();
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
  void writeState(const std::string& name, const std::string& content) {
    static std::int64_t clock = 1'500'000'000;
    ++clock;
    const std::string staging = home_ + "/staging";
    std::ofstream(staging, std::ios::binary | std::ios::trunc) << content;
    const timespec times[2] = {{clock, 0}, {clock, 7}};
    ASSERT_EQ(::utimensat(AT_FDCWD, staging.c_str(), times, 0), 0);
    ASSERT_EQ(::rename(staging.c_str(), (stateDir_ + "/" + name).c_str()), 0);
  }
  void writeState(const std::string& name, const std::string& root,
                  const std::vector<std::pair<std::string, std::string>>& files) {
    writeState(name, badgeJson(root, files));
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
  const char* const badges[] = {"synced", "syncing", "conflict", "error"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(startup[1 + i]["event"], JsonValue("setBadgeImage"));
    EXPECT_EQ(startup[1 + i]["identifier"], JsonValue(badges[i]));
  }
  EXPECT_EQ(sorted({startup.begin() + 5, startup.end() - 2}),
            sorted({push("synced", sync + "/a.txt"), push("syncing", sync + "/docs/r.pdf"),
                    loaded(2, sync)}));
  EXPECT_EQ(startup[8], observed({sync}));
  EXPECT_EQ(startup[9],
            JsonValue::object({{"reply", "toolbar"}, {"name", "TessVik"}, {"toolTip", "TessVik"}}));

  // Nobody asks: the program's own timer finds a new file.
  writeState("badges-2.json", home_ + "/Photos", {{"x.jpg", "error"}});
  EXPECT_EQ(finder.next(), kTimer);
  JsonValue event;
  while ((event = finder.next()) == kTimer) {  // a tick may have come just before the write
  }
  EXPECT_EQ(event, push("error", home_ + "/Photos/x.jpg"));

  ::kill(finder.pid(), SIGINT);
  EXPECT_EQ(finder.wait(), 0);
}

TEST_F(TessvikFinderTest, EveryLineGetsOneReplyWhateverItsBytesOrHowItArrives) {
  FinderProcess finder = start();
  finder.send(kToolbar);
  // Several requests in one write, bad lines among them, the last one split
  // inside a character across two writes: one reply each, in order, and the
  // session goes on.
  finder.write(
      "{\"request\":\"select\",\"paths\":null}\nnot json\n{\"request\":\"fly\"}\n"
      "{\"request\":\"badge\",\"path\":\"/x/caf\xC3");
  finder.write("\xA9\"}\n");
  EXPECT_EQ(finder.collect(), Lines{reply("select")});
  EXPECT_EQ(finder.collect(),
            Lines{error("requête illisible : la ligne n'est pas un texte JSON valide")});
  EXPECT_EQ(finder.collect(), Lines{error("requête inconnue : « fly »")});
  EXPECT_EQ(finder.collect(), Lines{reply("badge")});

  // Whatever bytes names and paths hold, every line is valid JSON (each one
  // is parsed) and carries them, ill-formed UTF-8 as U+FFFD.
  writeState("badges-\xff\"\\\n\x01.json", "{");
  writeState("badges-odd.json",
             R"({"root":")" + home_ + R"(/q\"b\\c\u0001d","files":{"t\nab":"s"}})");
  const Lines odd = finder.send(kTick);
  EXPECT_TRUE(std::any_of(odd.begin(), odd.end(), [](const JsonValue& line) {
    return line["message"].str().starts_with("état illisible (badges-\uFFFD\"\\\n\x01.json) : ");
  }));
  EXPECT_NE(std::find(odd.begin(), odd.end(),
                      push("s", home_ + "/q\"b\\c\x01"
                                        "d/t\nab")),
            odd.end());

  // Once the extension is released, requests to it are refused; the session
  // goes on.
  EXPECT_EQ(finder.send(R"({"request":"release"})"), Lines{reply("release")});
  EXPECT_EQ(finder.send(badgeRequest(home_ + "/x")), Lines{error("l'extension a été libérée")});
  EXPECT_EQ(finder.send(kTick), Lines{reply("tick")});

  // A last line without a newline is read at the end of input; the end of
  // input ends the requests, not the loop and its timer. SIGTERM does.
  finder.write(kToolbar);
  finder.closeInput();
  EXPECT_EQ(finder.collect(), Lines{error("l'extension a été libérée")});
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
  EXPECT_EQ(sorted(finder.send(kTick)), sorted({push("syncing", report), push("synced", photo),
                                                loaded(2, sync), observed({sync}), reply("tick")}));
  // Only the item that changed is pushed again.
  writeState("badges.json", sync, {{"docs/report.pdf", "synced"}, {"photo.jpg", "synced"}});
  EXPECT_EQ(sorted(finder.send(kTick)),
            sorted({push("synced", report), loaded(2, sync), observed({sync}), reply("tick")}));

  // Badges asked for: a listed item, one the file does not list (no badge),
  // one outside every synced folder (no answer at all).
  EXPECT_EQ(finder.send(badgeRequest(report)), (Lines{push("synced", report), reply("badge")}));
  EXPECT_EQ(finder.send(badgeRequest(sync + "/notes.txt")),
            (Lines{push("", sync + "/notes.txt"), reply("badge")}));
  EXPECT_EQ(finder.send(badgeRequest(home_ + "/Elsewhere/x")), Lines{reply("badge")});

  const std::vector<std::string> selected = {sync + "/Q3 report & notes.pdf"};
  EXPECT_EQ(finder.send(
                JsonValue::object({{"request", "select"}, {"paths", JsonValue::strings(selected)}})
                    .text()),
            Lines{reply("select")});
  EXPECT_EQ(finder.send(R"({"request":"share"})"),
            (Lines{JsonValue::object({{"event", "openURL"},
                                      {"url", "tessvik://share?path=" + sync +
                                                  "/Q3%20report%20%26%20notes.pdf"}}),
                   reply("share")}));

  // Removed: every item it listed loses its badge, its root is no longer
  // observed.
  ASSERT_EQ(::unlink((stateDir_ + "/badges.json").c_str()), 0);
  EXPECT_EQ(sorted(finder.send(kTick)),
            sorted({push("", report), push("", photo), observed({}), reply("tick")}));
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
