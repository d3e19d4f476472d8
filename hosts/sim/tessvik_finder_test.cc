// tessvik-finder end to end: the real program on a temporary home folder,
// driven through its JSON-lines protocol with real badge state files.
//
// The program's own 1.0 s timer keeps running during these tests, so a change
// may be picked up by it rather than by the tick we ask for. Every check
// therefore looks at all the events up to a reply, leaving out the timer
// events, and never at how long anything took.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "testing/child_process.h"
#include "testing/json_value.h"
#include "testing/test_support.h"

namespace tessvik::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Generous: only a hung program ever waits this long.
constexpr auto kReadTimeout = 5s;

JsonValue logEvent(const char* level, const std::string& message) {
  return JsonValue::object({{"event", "log"},
                            {"level", level},
                            {"subsystem", "com.tessvik.tessvik.finder"},
                            {"category", "badges"},
                            {"message", message}});
}

JsonValue pushEvent(const std::string& identifier, const std::string& path) {
  return JsonValue::object(
      {{"event", "setBadgeIdentifier"}, {"identifier", identifier}, {"path", path}});
}

JsonValue directoriesEvent(const std::vector<std::string>& paths) {
  return JsonValue::object({{"event", "setDirectoryURLs"}, {"paths", JsonValue::strings(paths)}});
}

JsonValue reply(const char* name) {
  return JsonValue::object({{"reply", name}});
}

// What one request brought: its events (timer ticks left out) and its reply.
struct Exchange {
  std::vector<JsonValue> events;
  JsonValue reply;

  std::vector<JsonValue> sorted() const {
    std::vector<JsonValue> out = events;
    std::sort(out.begin(), out.end(),
              [](const JsonValue& a, const JsonValue& b) { return a.dump() < b.dump(); });
    return out;
  }
};

// One running tessvik-finder. A line that does not come in time, or that is
// not valid JSON, fails the test; after the first such failure every read
// gives up at once, so one hang costs one timeout.
class Finder {
 public:
  explicit Finder(std::vector<std::string> args) : process_(kFinderPath, args) {
    if (!process_.started()) {
      ADD_FAILURE() << "cannot start " << kFinderPath;
      broken_ = true;
    }
  }

  // The next line of output, parsed; null after a failure.
  JsonValue next() {
    if (broken_) return JsonValue();
    std::optional<std::string> line = process_.readLine(kReadTimeout);
    if (!line) {
      broken_ = true;
      ADD_FAILURE() << (process_.outputEnded() ? "output ended" : "no output line in time");
      return JsonValue();
    }
    std::optional<JsonValue> parsed = JsonValue::parse(*line);
    if (!parsed) {
      broken_ = true;
      ADD_FAILURE() << "not a JSON line: " << *line;
      return JsonValue();
    }
    return *parsed;
  }

  // Reads up to and including the next reply.
  Exchange collect() {
    Exchange exchange;
    while (!broken_) {
      JsonValue line = next();
      if (!line["reply"].isNull()) {
        exchange.reply = std::move(line);
        break;
      }
      if (line != JsonValue::object({{"event", "timer"}})) exchange.events.push_back(line);
    }
    return exchange;
  }

  Exchange send(std::string_view request) {
    write(std::string(request) + "\n");
    return collect();
  }

  void write(std::string_view bytes) {
    if (!process_.write(bytes)) ADD_FAILURE() << "the program no longer reads";
  }

  // The badge the extension answers for `path`, or nothing when it does not
  // answer; checks that the answer names the item as asked.
  std::optional<std::string> badge(const std::string& path) {
    Exchange exchange = send(JsonValue::object({{"request", "badge"}, {"path", path}}).dump());
    EXPECT_EQ(exchange.reply, reply("badge"));
    // A timer tick may slip in and log again about a broken file: only the
    // answers count here.
    std::erase_if(exchange.events,
                  [](const JsonValue& e) { return e["event"] != JsonValue("setBadgeIdentifier"); });
    if (exchange.events.empty()) return std::nullopt;
    EXPECT_EQ(exchange.events.size(), 1u) << path;
    std::string asked = path;
    while (asked.size() > 1 && asked.back() == '/') asked.pop_back();
    EXPECT_EQ(exchange.events[0]["path"], JsonValue(asked));
    return exchange.events[0]["identifier"].str();
  }

  ChildProcess& process() { return process_; }

 private:
  ChildProcess process_;
  bool broken_ = false;
};

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

  std::unique_ptr<Finder> start(std::vector<std::string> extraArgs = {}) {
    std::vector<std::string> args = {"--home", home_};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    return std::make_unique<Finder>(args);
  }

  // Puts `name` in the state folder at once, whole, with a modification date
  // no earlier write used: written aside, dated, then renamed into place, so
  // the program's own timer never sees a half-written file or a stale date.
  void writeState(const std::string& name, const std::string& content) {
    static std::int64_t clock = 1'500'000'000;
    ++clock;
    const std::string staging = home_ + "/staging";
    std::ofstream(staging, std::ios::binary | std::ios::trunc) << content;
    const timespec times[2] = {{clock, 0}, {clock, (clock % 1000) * 1000 + 7}};
    ASSERT_EQ(::utimensat(AT_FDCWD, staging.c_str(), times, 0), 0);
    ASSERT_EQ(::rename(staging.c_str(), statePath(name).c_str()), 0);
  }
  void writeState(const std::string& name, const std::string& root,
                  const std::vector<std::pair<std::string, std::string>>& files) {
    writeState(name, badgeJson(root, files));
  }
  void removeState(const std::string& name) { ASSERT_EQ(::unlink(statePath(name).c_str()), 0); }
  std::string statePath(const std::string& name) const { return stateDir_ + "/" + name; }

  std::string home_;
  std::string stateDir_;
};

// The request that selects `paths` (null for nothing).
std::string selectRequest(const std::optional<std::vector<std::string>>& paths) {
  return JsonValue::object(
             {{"request", "select"}, {"paths", paths ? JsonValue::strings(*paths) : JsonValue()}})
      .dump();
}

// What a standard query parser gives for `name` in `url`: the query runs from
// "?" to "#", items are split at "&", names at the first "=", "+" is a space
// and %XX a byte.
std::optional<std::string> queryValue(const std::string& url, const std::string& name) {
  const std::size_t start = url.find('?');
  if (start == std::string::npos) return std::nullopt;
  const std::string query = url.substr(start + 1, url.find('#') - start - 1);
  auto decode = [](std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
      if (s[i] == '+') {
        out += ' ';
      } else if (s[i] == '%' && i + 2 < s.size() && std::isxdigit((unsigned char)s[i + 1]) &&
                 std::isxdigit((unsigned char)s[i + 2])) {
        out += static_cast<char>(std::stoi(std::string(s.substr(i + 1, 2)), nullptr, 16));
        i += 2;
      } else {
        out += s[i];
      }
    }
    return out;
  };
  std::size_t begin = 0;
  while (begin <= query.size()) {
    std::size_t end = query.find('&', begin);
    if (end == std::string::npos) end = query.size();
    const std::string_view item = std::string_view(query).substr(begin, end - begin);
    const std::size_t equals = item.find('=');
    if (decode(item.substr(0, equals)) == name) {
      return equals == std::string_view::npos ? "" : decode(item.substr(equals + 1));
    }
    begin = end + 1;
  }
  return std::nullopt;
}

TEST_F(TessvikFinderTest, StartsThenPushesEveryChangeOnce) {
  const std::string sync = home_ + "/Sync";
  const std::string photos = home_ + "/Photos";
  writeState("badges.json", sync + "/",
             {{"a.txt", "synced"}, {"docs/r.pdf", "syncing"}, {"c.txt", "conflict"}});
  writeState("badges-2.json", photos, {{"x.jpg", "error"}});
  // None of these is a badge state file.
  int n = 0;
  for (const char* name : {"Badges.json", "badges.JSON", "badges.json.tmp", "state.json"}) {
    writeState(name, home_ + "/ignored" + std::to_string(++n), {{"i.txt", "synced"}});
  }
  fs::create_directory(stateDir_ + "/sub");
  writeState("sub/badges.json", home_ + "/ignored-sub", {{"i.txt", "synced"}});

  std::unique_ptr<Finder> finder = start();
  Exchange startup = finder->send(R"({"request":"toolbar"})");
  const std::vector<JsonValue>& events = startup.events;
  ASSERT_EQ(events.size(), 5u + 4u + 2u + 1u);
  EXPECT_EQ(events[0], logEvent("default", "extension démarrée, dossier d'état : " + stateDir_));
  EXPECT_EQ(
      events[1],
      JsonValue::object(
          {{"event", "setBadgeImage"},
           {"identifier", "synced"},
           {"label", "Synchronisé"},
           {"image", JsonValue::object(
                         {{"symbol", "checkmark.circle.fill"},
                          {"accessibilityDescription", "Synchronisé"},
                          {"pointSize", 64},
                          {"weight", "bold"},
                          {"palette", JsonValue::strings({"whiteColor", "systemGreenColor"})}})}}));
  const char* identifiers[] = {"syncing", "conflict", "error"};
  const char* accents[] = {"systemBlueColor", "systemOrangeColor", "systemRedColor"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(events[2 + i]["identifier"], JsonValue(identifiers[i]));
    EXPECT_EQ(events[2 + i]["image"]["palette"][1], JsonValue(accents[i]));
  }
  // The first reload: every item of both files, one load message per file,
  // and the observed roots once, last, sorted.
  Exchange reload{std::vector<JsonValue>(events.begin() + 5, events.end()), {}};
  EXPECT_EQ(reload.sorted(),
            Exchange({logEvent("default", "état chargé : 1 élément(s) sous " + photos),
                      logEvent("default", "état chargé : 3 élément(s) sous " + sync + "/"),
                      pushEvent("conflict", sync + "/c.txt"), pushEvent("error", photos + "/x.jpg"),
                      pushEvent("synced", sync + "/a.txt"),
                      pushEvent("syncing", sync + "/docs/r.pdf"), directoriesEvent({photos, sync})},
                     {})
                .sorted());
  EXPECT_EQ(events.back(), directoriesEvent({photos, sync}));

  // One push per changed status; a dropped path gets the empty identifier.
  writeState("badges.json", sync,
             {{"docs/r.pdf", "synced"}, {"c.txt", "conflict"}, {"new.txt", ""}, {"n2", "x"}});
  EXPECT_EQ(finder->send(R"({"request":"tick"})").sorted(),
            Exchange({pushEvent("", sync + "/a.txt"), pushEvent("", sync + "/new.txt"),
                      pushEvent("synced", sync + "/docs/r.pdf"), pushEvent("x", sync + "/n2"),
                      logEvent("default", "état chargé : 4 élément(s) sous " + sync),
                      directoriesEvent({photos, sync})},
                     {})
                .sorted());
  // The program's own timer: with no request, a new file shows up after a
  // timer event.
  writeState("badges-3.json", sync, {{"t.txt", "synced"}});
  const JsonValue timer = JsonValue::object({{"event", "timer"}});
  EXPECT_EQ(finder->next(), timer);
  JsonValue event = finder->next();
  while (event == timer) event = finder->next();  // a tick may have come just before the write
  EXPECT_EQ(event, pushEvent("synced", sync + "/t.txt"));
}

TEST_F(TessvikFinderTest, BrokenOrStrangeStateFilesNeverStallAndKeepTheLastGoodState) {
  const std::string sync = home_ + "/Sync";
  writeState("badges.json", sync, {{"a.txt", "synced"}});
  // A FIFO with no writer, a link to an endless device and a folder, all
  // named like badge state files, are there from the start.
  ASSERT_EQ(::mkfifo(statePath("badges-fifo.json").c_str(), 0644), 0);
  ASSERT_EQ(::symlink("/dev/zero", statePath("badges-zero.json").c_str()), 0);
  fs::create_directory(statePath("badges-dir.json"));

  std::unique_ptr<Finder> finder = start();
  finder->send(R"({"request":"toolbar"})");
  for (int tick = 0; tick < 2; ++tick) {
    Exchange exchange = finder->send(R"({"request":"tick"})");
    EXPECT_EQ(exchange.reply, reply("tick"));
    for (const char* name : {"badges-fifo.json", "badges-zero.json", "badges-dir.json"}) {
      const std::string message =
          std::string("état illisible (") + name + ") : « " + statePath(name) + " » : " +
          (name == std::string("badges-dir.json") ? "c'est un dossier"
                                                  : "ce n'est pas un fichier ordinaire");
      EXPECT_NE(
          std::find(exchange.events.begin(), exchange.events.end(), logEvent("error", message)),
          exchange.events.end())
          << message;
    }
    EXPECT_EQ(exchange.events.size() % 3, 0u);
  }
  fs::remove(statePath("badges-fifo.json"));
  fs::remove(statePath("badges-zero.json"));
  fs::remove(statePath("badges-dir.json"));
  finder->send(R"({"request":"tick"})");

  // Each malformed document fails whole, every time it is read, and the last
  // good content stays in force.
  const std::vector<std::string> malformed = {
      "",
      "{",
      R"({"root":"/x","files":{"a.txt":"error","b":1}})",
      "{\"root\":\"/x\xff\",\"files\":{}}",
  };
  const std::string unreadable = "état illisible (badges.json) : ";
  for (const std::string& content : malformed) {
    writeState("badges.json", content);
    for (int tick = 0; tick < 2; ++tick) {
      Exchange exchange = finder->send(R"({"request":"tick"})");
      ASSERT_FALSE(exchange.events.empty()) << content;
      for (const JsonValue& event : exchange.events) {
        EXPECT_EQ(event["level"], JsonValue("error")) << content;
        EXPECT_TRUE(event["message"].str().starts_with(unreadable)) << event.dump();
        EXPECT_GT(event["message"].str().size(), unreadable.size()) << content;
      }
    }
    EXPECT_EQ(finder->badge(sync + "/a.txt"), "synced") << content;
  }
  // An unknown member is ignored.
  writeState("badges.json", R"({"version":2,"root":")" + sync + R"(","files":{"a.txt":"error"}})");
  Exchange loaded = finder->send(R"({"request":"tick"})");
  EXPECT_NE(
      std::find(loaded.events.begin(), loaded.events.end(), pushEvent("error", sync + "/a.txt")),
      loaded.events.end());

  // Whatever bytes names and paths hold, every line stays valid JSON and
  // carries them, ill-formed UTF-8 as U+FFFD.
  writeState("badges-\xff\"\\\n\x01.json", "{");
  writeState("badges-odd.json",
             R"({"root":")" + home_ + R"(/q\"b\\c\u0001d","files":{"t\nab":"s"}})");
  Exchange exchange = finder->send(R"({"request":"tick"})");
  EXPECT_TRUE(std::any_of(exchange.events.begin(), exchange.events.end(), [](auto& e) {
    return e["message"].str().starts_with("état illisible (badges-\uFFFD\"\\\n\x01.json) : ");
  }));
  EXPECT_NE(std::find(exchange.events.begin(), exchange.events.end(),
                      pushEvent("s", home_ + "/q\"b\\c\x01"
                                             "d/t\nab")),
            exchange.events.end());
}

TEST_F(TessvikFinderTest, ListingFailuresAreLoggedOncePerDistinctError) {
  fs::remove_all(stateDir_);
  std::unique_ptr<Finder> finder = start();
  Exchange startup = finder->send(R"({"request":"tick"})");
  ASSERT_EQ(startup.events.size(), 6u);
  EXPECT_EQ(startup.events[5], logEvent("error", "lecture impossible : « " + stateDir_ +
                                                     " » : aucun fichier ou dossier de ce nom"));
  EXPECT_EQ(finder->send(R"({"request":"tick"})").events, std::vector<JsonValue>{});

  fs::create_directories(stateDir_);
  writeState("badges.json", home_ + "/S", {{"a", "synced"}});
  EXPECT_EQ(finder->send(R"({"request":"tick"})").events.size(), 3u);
  // Gone again with the same error: already said, and the state stays.
  fs::rename(stateDir_, stateDir_ + ".away");
  EXPECT_EQ(finder->send(R"({"request":"tick"})").events, std::vector<JsonValue>{});
  EXPECT_EQ(finder->badge(home_ + "/S/a"), "synced");
  // A different error is logged, once.
  std::ofstream(stateDir_) << "not a folder";
  EXPECT_EQ(finder->send(R"({"request":"tick"})").events,
            std::vector<JsonValue>{logEvent(
                "error", "lecture impossible : « " + stateDir_ + " » : ce n'est pas un dossier")});
  EXPECT_EQ(finder->send(R"({"request":"tick"})").events, std::vector<JsonValue>{});
}

TEST_F(TessvikFinderTest, BadgeRequestsFindTheDeepestRootUnderCanonicalEquivalence) {
  const std::string sync = home_ + "/Sync";
  writeState(
      "badges.json", sync + "/",
      {{"a/b.txt", "synced"}, {"Sub", "conflict"}, {"caf\u00e9/\u00e9t\u00e9.txt", "syncing"}});
  writeState("badges-sub.json", sync + "/./Sub/../Sub/", {{"f.txt", "error"}});
  writeState("badges-accent.json", home_ + "/De\u0301cor", {{"x.txt", "synced"}});
  std::unique_ptr<Finder> finder = start();
  finder->send(R"({"request":"toolbar"})");

  EXPECT_EQ(finder->badge(sync + "/a/b.txt"), "synced");
  EXPECT_EQ(finder->badge(sync + "/./a/../a/b.txt"), "synced");
  EXPECT_EQ(finder->badge(sync + "/Sub/f.txt"), "error") << "the inner root wins";
  EXPECT_EQ(finder->badge(sync + "/Sub"), std::nullopt) << "the inner root itself";
  EXPECT_EQ(finder->badge(sync + "/cafe\u0301/e\u0301te\u0301.txt"), "syncing");
  EXPECT_EQ(finder->badge(home_ + "/D\u00e9cor/x.txt"), "synced");
  EXPECT_EQ(finder->badge("/elsewhere/x"), std::nullopt);

  // Without the inner root, the outer one answers for what lies below.
  removeState("badges-sub.json");
  finder->send(R"({"request":"tick"})");
  EXPECT_EQ(finder->badge(sync + "/Sub/f.txt"), "");
  EXPECT_EQ(finder->badge(sync + "/Sub"), "conflict");
  removeState("badges.json");
  finder->send(R"({"request":"tick"})");
  EXPECT_EQ(finder->badge(sync + "/a/b.txt"), std::nullopt);
}

TEST_F(TessvikFinderTest, TheMenuSharesTheFirstItemSelectedWhenTheActionRuns) {
  std::unique_ptr<Finder> finder = start();
  finder->send(R"({"request":"toolbar"})");
  EXPECT_EQ(finder->send(R"({"request":"menu","kind":0})").reply,
            JsonValue::object(
                {{"reply", "menu"},
                 {"menu", JsonValue::object(
                              {{"title", ""},
                               {"items", JsonValue::Array{JsonValue::object(
                                             {{"title", "Partager avec TessVik…"},
                                              {"action", "share:"},
                                              {"keyEquivalent", ""},
                                              {"image", "person.crop.circle.badge.plus"}})}}})}}));
  for (int kind = 1; kind <= 3; ++kind) {
    EXPECT_EQ(finder->send(R"({"request":"menu","kind":)" + std::to_string(kind) + "}").reply,
              JsonValue::object({{"reply", "menu"}, {"menu", nullptr}}));
  }
  EXPECT_EQ(finder->send(R"({"request":"toolbar"})").reply,
            JsonValue::object({{"reply", "toolbar"}, {"name", "TessVik"}, {"toolTip", "TessVik"}}));

  // Nothing selected: nothing opened.
  EXPECT_EQ(finder->send(R"({"request":"share"})").events, std::vector<JsonValue>{});
  for (const char* none :
       {R"({"request":"select","paths":null})", R"({"request":"select","paths":[]})"}) {
    EXPECT_EQ(finder->send(none).reply, reply("select"));
    EXPECT_EQ(finder->send(R"({"request":"share"})").events, std::vector<JsonValue>{});
  }

  finder->send(
      selectRequest(std::vector<std::string>{"/Volumes/Data/Projets/Q3 report.pdf", "/b"}));
  EXPECT_EQ(finder->send(R"({"request":"share"})").events,
            std::vector<JsonValue>{JsonValue::object(
                {{"event", "openURL"},
                 {"url", "tessvik://share?path=/Volumes/Data/Projets/Q3%20report.pdf"}})});
  // The selection counts when the action runs, not when the menu was built.
  finder->send(R"({"request":"menu","kind":0})");
  finder->send(selectRequest(std::vector<std::string>{"/later.txt"}));
  EXPECT_EQ(finder->send(R"({"request":"share"})").events.at(0)["url"],
            JsonValue("tessvik://share?path=/later.txt"));

  // Any path comes back whole through a standard query parser.
  const std::vector<std::pair<std::string, std::string>> paths = {
      {"/tmp/Tom & Jerry.txt", "/tmp/Tom & Jerry.txt"},
      {"/tmp/a+b.txt", "/tmp/a+b.txt"},
      {"/tmp/日本語/файл ελληνικά 😀.txt", "/tmp/日本語/файл ελληνικά 😀.txt"},
      {"/tmp/folder/", "/tmp/folder"},
  };
  for (const auto& [selected, expected] : paths) {
    finder->send(selectRequest(std::vector<std::string>{selected}));
    Exchange exchange = finder->send(R"({"request":"share"})");
    ASSERT_EQ(exchange.events.size(), 1u) << selected;
    const std::string url = exchange.events[0]["url"].str();
    EXPECT_TRUE(url.starts_with("tessvik://share?path=/")) << url;
    EXPECT_EQ(queryValue(url, "path"), expected) << url;
    for (std::size_t i = 0; i < url.size(); ++i) {
      EXPECT_LT(static_cast<unsigned char>(url[i]), 0x80) << url;
      if (url[i] == '%') {
        EXPECT_EQ(url.substr(i + 1, 2).find_first_of("abcdef"), std::string::npos) << url;
      }
    }
  }
}

TEST_F(TessvikFinderTest, MissingSymbolsLeaveTheirBadgeUnregisteredAndTheMenuWithoutImage) {
  std::unique_ptr<Finder> finder =
      start({"--without-symbol", "arrow.triangle.2.circlepath.circle.fill", "--without-symbol",
             "person.crop.circle.badge.plus"});
  Exchange startup = finder->send(R"({"request":"menu","kind":0})");
  ASSERT_EQ(startup.events.size(), 5u);
  EXPECT_EQ(startup.events[1]["identifier"], JsonValue("synced"));
  EXPECT_EQ(
      startup.events[2],
      logEvent("error", "image de pastille introuvable : arrow.triangle.2.circlepath.circle.fill"));
  EXPECT_EQ(startup.events[3]["identifier"], JsonValue("conflict"));
  EXPECT_EQ(startup.events[4]["identifier"], JsonValue("error"));
  EXPECT_EQ(startup.reply["menu"]["items"][0]["image"], JsonValue());
  EXPECT_EQ(startup.reply["menu"]["items"][0]["title"], JsonValue("Partager avec TessVik…"));
}

TEST_F(TessvikFinderTest, AReleasedExtensionDoesNothingWhileTheLoopGoesOn) {
  writeState("badges.json", home_ + "/S", {{"a", "synced"}});
  std::unique_ptr<Finder> finder = start();
  finder->send(R"({"request":"toolbar"})");
  EXPECT_EQ(finder->send(R"({"request":"release"})").reply, reply("release"));
  writeState("badges.json", home_ + "/S", {{"a", "error"}});
  writeState("badges-2.json", home_ + "/T", {{"b", "error"}});
  EXPECT_EQ(finder->send(R"({"request":"tick"})").events, std::vector<JsonValue>{});
  const JsonValue gone =
      JsonValue::object({{"reply", "error"}, {"message", "l'extension a été libérée"}});
  for (const char* request :
       {R"({"request":"badge","path":"/S/a"})", R"({"request":"menu","kind":0})",
        R"({"request":"share"})", R"({"request":"toolbar"})", R"({"request":"release"})"}) {
    EXPECT_EQ(finder->send(request).reply, gone) << request;
  }
  EXPECT_EQ(finder->send(R"({"request":"select","paths":["/S/a"]})").reply, reply("select"));
  // The timer is still on the loop; its ticks find no extension.
  EXPECT_EQ(finder->next(), JsonValue::object({{"event", "timer"}}));
  EXPECT_EQ(finder->send(R"({"request":"quit"})").events, std::vector<JsonValue>{});
  EXPECT_EQ(finder->process().wait(kReadTimeout), 0);
}

TEST_F(TessvikFinderTest, RequestsMayComeSplitOrBatchedAndBadLinesAreAnswered) {
  std::unique_ptr<Finder> finder = start();
  finder->send(R"({"request":"toolbar"})");
  finder->write(R"({"requ)");
  finder->write(R"(est":"toolbar"})"
                "\n"
                R"({"request":"menu","ki)");
  finder->write("nd\":1}\n{\"request\":\"badge\",\"path\":\"/x/caf\xC3");
  finder->write("\xA9\"}\n");
  EXPECT_EQ(finder->collect().reply["reply"], JsonValue("toolbar"));
  EXPECT_EQ(finder->collect().reply["reply"], JsonValue("menu"));
  EXPECT_EQ(finder->collect().reply, reply("badge"));
  for (char c : std::string(R"({"request":"select","paths":null})"
                            "\n")) {
    finder->write(std::string(1, c));
  }
  EXPECT_EQ(finder->collect().reply, reply("select"));

  // Several lines in one write, bad ones among them: one reply each, in order.
  const std::string nul("{\"request\":\0}\n", 14);
  finder->write("\nnot json\n{\"request\":\"fly\"}\n{\"request\":\"b\xff\"}\n" + nul +
                "{\"request\":\"menu\",\"kind\":9}\n{\"request\":\"toolbar\"}\n");
  for (int i = 0; i < 6; ++i) {
    Exchange exchange = finder->collect();
    EXPECT_EQ(exchange.reply["reply"], JsonValue("error")) << i;
    EXPECT_FALSE(exchange.reply["message"].str().empty());
    EXPECT_EQ(exchange.events, std::vector<JsonValue>{});
  }
  EXPECT_EQ(finder->collect().reply["name"], JsonValue("TessVik"));

  // The end of input ends the requests, not the program; SIGTERM does.
  finder->process().closeInput();
  EXPECT_EQ(finder->next(), JsonValue::object({{"event", "timer"}}));
  finder->process().signal(SIGTERM);
  EXPECT_EQ(finder->process().wait(kReadTimeout), 0);
}

TEST_F(TessvikFinderTest, ALastLineWithoutNewlineIsAnsweredAndSigintEndsCleanly) {
  std::unique_ptr<Finder> finder = start();
  finder->write(R"({"request":"toolbar"})");
  finder->process().closeInput();
  EXPECT_EQ(finder->collect().reply["reply"], JsonValue("toolbar"));
  finder->process().signal(SIGINT);
  EXPECT_EQ(finder->process().wait(kReadTimeout), 0);
}

TEST_F(TessvikFinderTest, HelpAndVersionExitZeroAndAWrongOptionTwo) {
  ChildProcess version(kFinderPath, {"--version"});
  EXPECT_EQ(version.readLine(kReadTimeout), "tessvik-finder 0.1.0");
  EXPECT_EQ(version.wait(kReadTimeout), 0);
  ChildProcess help(kFinderPath, {"--help"});
  EXPECT_TRUE(help.readLine(kReadTimeout).value_or("").starts_with("Utilisation : tessvik-finder"));
  EXPECT_EQ(help.wait(kReadTimeout), 0);
  ChildProcess wrong(kFinderPath, {"--frobnicate"});
  EXPECT_EQ(wrong.readLine(kReadTimeout), std::nullopt);
  EXPECT_EQ(wrong.wait(kReadTimeout), 2);
}

}  // namespace
}  // namespace tessvik::testing
