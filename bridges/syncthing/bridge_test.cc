#include "bridges/syncthing/bridge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "bridges/syncthing/fake/recorded_syncthing.h"
#include "bridges/syncthing/syncthing_settings.h"
#include "host/fake/fake_host.h"
#include "testing/json_value.h"
#include "testing/scratch_home.h"

namespace tessvik::syncthing {
namespace {

using testing::RecordedSyncthing;
using Statuses = std::map<std::string, std::string>;

TEST(SyncthingSettings, FromConfigXmlAndAddresses) {
  Result<GuiSettings> gui = decodeGuiSettings(R"(<configuration version="36">
    <folder id="x" path="/s"><address>not-this</address></folder>
    <gui enabled="true" tls="true" debugging="false">
        <address>0.0.0.0:8384</address>
        <apikey>k&amp;ey</apikey>
    </gui></configuration>)");
  ASSERT_TRUE(gui);
  EXPECT_EQ(gui.value().address, "0.0.0.0:8384");
  EXPECT_EQ(gui.value().apiKey, "k&ey");
  EXPECT_TRUE(gui.value().tls);
  EXPECT_FALSE(
      decodeGuiSettings("<configuration><gui enabled=\"true\"><address>a</address></gui>"));

  auto url = [](std::string_view address, bool tls) {
    Result<Endpoint> endpoint = endpointFor(address, tls, "k", "");
    return endpoint ? endpoint.value().baseUrl + "|" + endpoint.value().unixSocket : "";
  };
  EXPECT_EQ(url("0.0.0.0:8384", true), "https://127.0.0.1:8384|");
  EXPECT_EQ(url("[::]:8384", false), "http://[::1]:8384|");
  EXPECT_EQ(url(":8384", false), "http://127.0.0.1:8384|");
  EXPECT_EQ(url("https://example.org:1/", false), "https://example.org:1|");
  EXPECT_EQ(url("unix:///run/st.sock", false), "http://localhost|/run/st.sock");
}

class BridgeTest : public ::testing::Test {
 protected:
  BridgeTest() {
    syncthing.answer("/rest/system/status", R"({"startTime":"2026-12-09T10:00:00Z"})");
    syncthing.answer("/rest/config/folders",
                     R"([{"id":"ph/0","label":"Photos","path":"~/Photos","paused":false},
                         {"id":"off","label":"Off","path":"/off","paused":true}])");
    syncthing.answer("/rest/db/browse", R"([{"name":"a.jpg","type":"FILE_INFO_TYPE_FILE"},
        {"name":"trip","type":"FILE_INFO_TYPE_DIRECTORY","children":[
          {"name":"b.jpg","type":"FILE_INFO_TYPE_FILE"}]}])");
    syncthing.answer(
        "/rest/db/need",
        R"({"progress":[{"name":"trip/b.jpg"}],"queued":[],"rest":[],"page":1,"perpage":10000})");
    syncthing.answer("/rest/folder/errors", R"({"errors":null,"folder":"ph/0"})");
    syncthing.answer("/rest/events", "[]");
  }

  // The folder's file as statuses by path; empty when there is none.
  Statuses file() {
    std::ifstream in(home.statePath("badges-syncthing-ph%2F0.json"));
    std::stringstream text;
    text << in.rdbuf();
    auto members = tessvik::testing::jsonMembers(text.str());
    if (!members) return {};
    EXPECT_EQ((*members)["root"], home.home + "/Photos");
    auto files = tessvik::testing::jsonMembers((*members)["files"]);
    return files ? Statuses(files->begin(), files->end()) : Statuses{};
  }

  // Turns until the file shows `expected` (a folder is read again no sooner
  // than five times the time its last read took), for at most a second.
  Statuses turnUntil(const Statuses& expected) {
    for (int i = 0; i < 100 && file() != expected; ++i) {
      EXPECT_TRUE(bridge.turn());
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return file();
  }

  tessvik::testing::ScratchHome home;
  RecordedSyncthing syncthing;
  std::atomic<bool> stop{false};
  Result<Endpoint> endpoint = endpointFor(syncthing.address(), false, "key", "");
  RestClient rest{endpoint.value(), stop};
  RecordingLogger log;
  Bridge bridge{rest,
                log,
                {home.stateDir, home.home, std::chrono::milliseconds(0), std::chrono::seconds(1),
                 std::chrono::seconds(0)}};
};

TEST_F(BridgeTest, WritesEachFolderThenFollowsItsEvents) {
  ASSERT_TRUE(bridge.turn());
  EXPECT_EQ(
      file(),
      (Statuses{
          {"", "syncing"}, {"a.jpg", "synced"}, {"trip", "syncing"}, {"trip/b.jpg", "syncing"}}));
  // Subscribed before anything was read; the paused folder has no file.
  std::vector<std::string> requests = syncthing.requests();
  EXPECT_TRUE(requests.front().starts_with("GET /rest/events?events=ItemStarted"));
  EXPECT_FALSE(std::filesystem::exists(home.statePath("badges-syncthing-off.json")));

  syncthing.answer("/rest/events",
                   R"([{"id":1,"type":"ItemStarted","data":{"folder":"ph/0","item":"a.jpg"}},
      {"id":2,"type":"FolderErrors","data":{"folder":"ph/0","errors":[{"path":"trip/b.jpg","error":"permission denied"}]}}])");
  ASSERT_TRUE(bridge.turn());
  syncthing.answer("/rest/events", "[]");
  Statuses expected{
      {"", "error"}, {"a.jpg", "syncing"}, {"trip", "error"}, {"trip/b.jpg", "error"}};
  EXPECT_EQ(turnUntil(expected), expected);
  // Resumes after the last event it took.
  requests = syncthing.requests();
  auto lastPoll = std::find_if(requests.rbegin(), requests.rend(), [](const std::string& request) {
    return request.starts_with("GET /rest/events");
  });
  EXPECT_NE(lastPoll->find("&since=2&"), std::string::npos) << *lastPoll;

  bridge.removeAllFiles();
  EXPECT_TRUE(std::filesystem::is_empty(home.stateDir));
}

TEST_F(BridgeTest, GarbageKeepsTheFilesAndAnAbsentSyncthingLosesThem) {
  ASSERT_TRUE(bridge.turn());
  Statuses written = file();
  syncthing.answer("/rest/events", "<html>proxy error</html>");
  EXPECT_FALSE(bridge.turn());
  EXPECT_FALSE(bridge.turn());  // reconnects, fails again, logs once
  EXPECT_EQ(file(), written);
  std::vector<RecordingLogger::Line> lines = log.takeLines();
  ASSERT_EQ(lines.size(), 3u) << ::testing::PrintToString(lines);
  EXPECT_EQ(lines[2].level, LogLevel::kError);
  EXPECT_NE(lines[2].message.find("réponse inattendue de Syncthing (événements)"),
            std::string::npos);

  // Stopped: out of reach for longer than the grace (none here).
  syncthing.stop();
  EXPECT_FALSE(bridge.turn());
  EXPECT_EQ(file(), Statuses{});
  // Back, without the folder: nothing written for it.
  syncthing.answer("/rest/events", "[]");
  syncthing.answer("/rest/config/folders", "[]");
  syncthing.start();
  EXPECT_TRUE(bridge.turn());
  EXPECT_TRUE(std::filesystem::is_empty(home.stateDir));
}

}  // namespace
}  // namespace tessvik::syncthing
