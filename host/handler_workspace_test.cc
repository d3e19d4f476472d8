#include "host/handler_workspace.h"

#include <gtest/gtest.h>

#include "host/fake/fake_host.h"

namespace tessvik {
namespace {

TEST(HandlerWorkspaceTest, AUrlThatCannotBeHandedOnIsLoggedWithItNotLostAndTheUserIsTold) {
  RecordingLogger logger;
  std::vector<std::string> launched;
  std::vector<std::string> notified;
  HandlerWorkspace workspace(
      logger, [](const std::string& scheme) { return scheme == "tessvik"; },
      [&](const std::string& url, auto failed) {
        launched.push_back(url);
        failed("Échec");
      },
      [&](const std::string& summary, const std::string& body) {
        notified.push_back(summary + " | " + body);
      });
  // The scheme asked about shows in the message.
  EXPECT_FALSE(workspace.openUrl("x-tessvik://share?path=/a%20b"));
  EXPECT_FALSE(workspace.openUrl("/share:x"));  // no scheme
  EXPECT_TRUE(workspace.openUrl("tessvik://share?path=/c%20d"));
  EXPECT_EQ(launched, std::vector<std::string>{"tessvik://share?path=/c%20d"});
  const std::vector<RecordingLogger::Line> expected{
      {LogLevel::kError,
       "aucune application n'ouvre les adresses « x-tessvik: », rien n'a été ouvert : "
       "x-tessvik://share?path=/a%20b"},
      {LogLevel::kError,
       "aucune application n'ouvre les adresses « : », rien n'a été ouvert : /share:x"},
      {LogLevel::kError, "ouverture impossible : tessvik://share?path=/c%20d : Échec"}};
  EXPECT_EQ(logger.lines, expected);
  // Once per URL, naming its item: the decoded last segment of its path.
  EXPECT_EQ(notified,
            (std::vector<std::string>{
                "Partage impossible | « a b » n'a pas été partagé : aucune application n'ouvre "
                "les adresses « x-tessvik: ».",
                "Partage impossible | « /share:x » n'a pas été partagé : aucune application "
                "n'ouvre les adresses « : ».",
                "Partage impossible | « c d » n'a pas été partagé : Échec"}));
}

}  // namespace
}  // namespace tessvik
