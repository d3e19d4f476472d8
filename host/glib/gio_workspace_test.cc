#include "host/glib/gio_workspace.h"

#include <gtest/gtest.h>

#include "host/fake/fake_host.h"

namespace tessvik {
namespace {

TEST(GioWorkspaceTest, AUrlWithNoApplicationForItsSchemeIsLoggedNotLost) {
  RecordingLogger logger;
  std::string asked;
  GioWorkspace workspace(logger, [&](const std::string& scheme) {
    asked = scheme;
    return false;
  });
  EXPECT_FALSE(workspace.openUrl("tessvik://share?path=/home/u/Sync/a%20b"));
  EXPECT_EQ(asked, "tessvik");
  EXPECT_EQ(logger.lines, (std::vector<RecordingLogger::Line>{
                              {LogLevel::kError,
                               "aucune application n'ouvre les adresses « tessvik: », rien n'a été "
                               "ouvert : tessvik://share?path=/home/u/Sync/a%20b"}}));
}

}  // namespace
}  // namespace tessvik
