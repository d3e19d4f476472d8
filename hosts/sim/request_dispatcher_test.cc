// The request protocol, line by line, on the fake file system.
#include "hosts/sim/request_dispatcher.h"

#include <gtest/gtest.h>

#include "host/fake/fake_file_system.h"
#include "host/fake/fake_host.h"
#include "hosts/sim/sim_workspace.h"
#include "testing/json_value.h"
#include "testing/test_support.h"

namespace tessvik::sim {
namespace {

using tessvik::testing::JsonValue;
using Outcome = RequestDispatcher::Outcome;

class RecordedLines : public LineOutput {
 public:
  void writeLine(std::string_view line) override {
    std::optional<JsonValue> parsed = JsonValue::parse(line);
    EXPECT_TRUE(parsed) << line;
    lines.push_back(parsed.value_or(JsonValue()));
  }
  std::vector<JsonValue> take() { return std::exchange(lines, {}); }
  std::vector<JsonValue> lines;
};

class RequestDispatcherTest : public ::testing::Test {
 protected:
  static constexpr const char* kStateDir = "/Users/u/Library/Application Support/tessvik";

  RequestDispatcherTest() {
    files_.writeFile(std::string(kStateDir) + "/badges.json",
                     tessvik::testing::badgeJson("/S", {{"a.txt", "synced"}}), FileTime{1, 0});
    Host host{controller_, images_, files_, runLoop_, logger_, users_, workspace_};
    dispatcher_ = std::make_unique<RequestDispatcher>(
        std::make_unique<FinderSync>(host, realHome_), controller_,
        [this] { runLoop_.fireTimers(); }, out_);
    out_.take();
  }

  // The lines that `request` gives, the reply last.
  std::vector<JsonValue> send(std::string_view request, Outcome expected = Outcome::kGoOn) {
    EXPECT_EQ(dispatcher_->handle(request), expected) << request;
    return out_.take();
  }

  static JsonValue error(const char* message) {
    return JsonValue::object({{"reply", "error"}, {"message", message}});
  }
  static JsonValue reply(const char* name) { return JsonValue::object({{"reply", name}}); }

  FakeFileSystem files_;
  RecordedLines out_;
  SimController controller_{out_};
  RecordingLogger logger_;
  FakeSymbolImages images_;
  ManualRunLoop runLoop_;
  FakeUserDatabase users_;
  SimWorkspace workspace_{out_};
  RealHome realHome_{users_};
  std::unique_ptr<RequestDispatcher> dispatcher_;
};

TEST_F(RequestDispatcherTest, EveryBadLineGetsOneErrorReplyAndTheSessionGoesOn) {
  const char* unreadable = "requête illisible : la ligne n'est pas un texte JSON valide";
  const char* notObject = "requête illisible : la ligne n'est pas un objet JSON";
  const char* noName = "requête illisible : le membre « request » manque ou n'est pas une chaîne";
  const char* badPath = "requête « badge » : « path » doit être une chaîne";
  const char* badKind = "requête « menu » : « kind » doit être un entier de 0 à 3";
  const char* badPaths = "requête « select » : « paths » doit être une liste de chaînes ou null";
  const std::vector<std::pair<std::string, const char*>> cases = {
      {"", unreadable},
      {R"({"request":"tick"} {"request":"tick"})", unreadable},
      {R"({"request":"b\xffge"})", unreadable},
      {R"(["request","tick"])", notObject},
      {R"({"request":null})", noName},
      {R"({"request":"TICK"})", "requête inconnue : « TICK »"},
      {R"({"request":"badge","path":["/S/a.txt"]})", badPath},
      {R"({"request":"menu"})", badKind},
      {R"({"request":"menu","kind":4})", badKind},
      {R"({"request":"menu","kind":0.5})", badKind},
      {R"({"request":"menu","kind":4294967296})", badKind},
      {R"({"request":"select","paths":["/S/a.txt",null]})", badPaths},
  };
  for (const auto& [line, message] : cases) {
    EXPECT_EQ(send(line), std::vector<JsonValue>{error(message)}) << line;
  }
  // A failed select leaves the selection as it was: still none.
  EXPECT_EQ(send(R"({"request":"share"})"), std::vector<JsonValue>{reply("share")});
  EXPECT_EQ(send(R"({"request":"tick","extra":[1,2]})"), std::vector<JsonValue>{reply("tick")});
}

TEST_F(RequestDispatcherTest, RepliesComeAfterTheEventsOfTheirRequest) {
  EXPECT_EQ(send(R"({"request":"badge","path":"/S/a.txt"})"),
            (std::vector<JsonValue>{JsonValue::object({{"event", "setBadgeIdentifier"},
                                                       {"identifier", "synced"},
                                                       {"path", "/S/a.txt"}}),
                                    reply("badge")}));
  // A trailing "/" asks for a folder: the event still carries the bare path.
  EXPECT_EQ(send(R"({"request":"badge","path":"/S/a.txt/"})").front()["path"],
            JsonValue("/S/a.txt"));
  send(R"({"request":"select","paths":["/S/b.txt","/S/a.txt"]})");
  EXPECT_EQ(send(R"({"request":"share"})"),
            (std::vector<JsonValue>{
                JsonValue::object({{"event", "openURL"}, {"url", "tessvik://share?path=/S/b.txt"}}),
                reply("share")}));
  files_.writeFile(std::string(kStateDir) + "/badges.json",
                   tessvik::testing::badgeJson("/S", {{"a.txt", "error"}}), FileTime{2, 0});
  std::vector<JsonValue> tick = send(R"({"request":"tick"})");
  ASSERT_EQ(tick.size(), 3u);
  EXPECT_EQ(tick[0]["identifier"], JsonValue("error"));
  EXPECT_EQ(tick[1]["event"], JsonValue("setDirectoryURLs"));
  EXPECT_EQ(tick[2], reply("tick"));
}

}  // namespace
}  // namespace tessvik::sim
