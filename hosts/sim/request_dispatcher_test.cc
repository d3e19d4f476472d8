// The request protocol, line by line, on the fake file system.
#include "hosts/sim/request_dispatcher.h"

#include <gtest/gtest.h>

#include "extension/extension_test_support.h"
#include "host/fake/fake_file_system.h"
#include "host/fake/fake_host.h"
#include "hosts/sim/sim_workspace.h"

namespace tessvik::sim {
namespace {

class RequestDispatcherTest : public tessvik::testing::StateFolderTest, public LineOutput {
 protected:
  RequestDispatcherTest() {
    writeState("badges.json", "/S", {{"a.txt", "synced"}});
    Host host{{files_, runLoop_, logger_, users_, workspace_, memory_}, controller_, images_};
    dispatcher_ = std::make_unique<RequestDispatcher>(
        std::make_unique<FinderSync>(host, finderStateFolder(realHome_.path())), controller_,
        [this] { runLoop_.fireTimers(); }, *this);
  }
  void writeLine(std::string_view line) override { lines_.append(line).append("\n"); }

  // The lines that `request` gives, the reply last, each ended by "\n".
  std::string send(std::string_view request) {
    lines_.clear();
    EXPECT_EQ(dispatcher_->handle(request), RequestDispatcher::Outcome::kGoOn) << request;
    return lines_;
  }

  std::string lines_;
  SimController controller_{*this};
  RecordingLogger logger_;
  FakeSymbolImages images_;
  ManualRunLoop runLoop_;
  FakeUserDatabase users_;
  SimWorkspace workspace_{*this};
  CountingSystemMemory memory_;
  RealHome realHome_{users_};
  std::unique_ptr<RequestDispatcher> dispatcher_;
};

TEST_F(RequestDispatcherTest, EveryBadLineGetsOneErrorReplyAndTheSessionGoesOn) {
  const std::string unreadable = "requête illisible : la ligne n'est pas un texte JSON valide";
  const std::string badKind = "requête « menu » : « kind » doit être un entier de 0 à 3";
  const std::pair<std::string, std::string> cases[] = {
      {"", unreadable},
      {R"({"request":"tick"} {"request":"tick"})", unreadable},
      {R"(["request","tick"])", "requête illisible : la ligne n'est pas un objet JSON"},
      {R"({"request":null})",
       "requête illisible : le membre « request » manque ou n'est pas une chaîne"},
      {R"({"request":"TICK"})", "requête inconnue : « TICK »"},
      {R"({"request":"badge","path":["/S/a.txt"]})",
       "requête « badge » : « path » doit être une chaîne"},
      {R"({"request":"menu"})", badKind},
      {R"({"request":"menu","kind":4})", badKind},
      {R"({"request":"menu","kind":0.5})", badKind},
      {R"({"request":"menu","kind":4294967296})", badKind},
      {R"({"request":"select","paths":["/S/a.txt",null]})",
       "requête « select » : « paths » doit être une liste de chaînes ou null"},
  };
  for (const auto& [line, message] : cases) {
    EXPECT_EQ(send(line), R"({"reply":"error","message":")" + message + "\"}\n") << line;
  }
  // A failed select leaves the selection as it was: still none.
  EXPECT_EQ(send(R"({"request":"share"})"), "{\"reply\":\"share\"}\n");
  EXPECT_EQ(send(R"({"request":"tick","extra":[1,2]})"), "{\"reply\":\"tick\"}\n");
}

TEST_F(RequestDispatcherTest, RepliesComeAfterTheEventsOfTheirRequest) {
  const std::string pushed = R"({"event":"setBadgeIdentifier","identifier":"synced",)";
  EXPECT_EQ(send(R"({"request":"badge","path":"/S/a.txt"})"),
            pushed + R"("path":"/S/a.txt"})" + "\n{\"reply\":\"badge\"}\n");
  send(R"({"request":"select","paths":["/S/b.txt","/S/a.txt"]})");
  EXPECT_EQ(send(R"({"request":"share"})"),
            "{\"event\":\"openURL\",\"url\":\"tessvik://share?path=/S/b.txt\"}\n"
            "{\"reply\":\"share\"}\n");
  writeState("badges.json", "/S", {{"a.txt", "error"}});
  EXPECT_EQ(send(R"({"request":"tick"})"),
            R"({"event":"setBadgeIdentifier","identifier":"error","path":"/S/a.txt"})"
            "\n{\"event\":\"setDirectoryURLs\",\"paths\":[\"/S\"]}\n{\"reply\":\"tick\"}\n");
  // The toolbar item's menu is a kind the host asks for, though the
  // extension has none.
  EXPECT_EQ(send(R"({"request":"menu","kind":3})"), "{\"reply\":\"menu\",\"menu\":null}\n");
  // Once released, the extension is out of reach; the session goes on.
  EXPECT_EQ(send(R"({"request":"release"})"), "{\"reply\":\"release\"}\n");
  const std::string released = "{\"reply\":\"error\",\"message\":\"l'extension a été libérée\"}\n";
  for (const char* request :
       {R"({"request":"badge","path":"/S/a.txt"})", R"({"request":"share"})",
        R"({"request":"menu","kind":0})", R"({"request":"toolbar"})", R"({"request":"release"})"}) {
    EXPECT_EQ(send(request), released) << request;
  }
}

}  // namespace
}  // namespace tessvik::sim
