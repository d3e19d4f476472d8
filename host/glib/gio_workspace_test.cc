#include "host/glib/gio_workspace.h"

#include <gtest/gtest.h>

#include "host/fake/fake_host.h"

namespace tessvik {
namespace {

TEST(GioWorkspaceTest, AUrlWithNoApplicationForItsSchemeIsLoggedNotLost) {
  RecordingLogger logger;
  GioWorkspace workspace(logger, [](const std::string& scheme) { return scheme != "tessvik"; });
  EXPECT_FALSE(workspace.openUrl("tessvik://share?path=/a%20b"));
  EXPECT_EQ(logger.takeLines(), (std::vector<RecordingLogger::Line>{
                                    {LogLevel::kError,
                                     "aucune application n'ouvre les adresses « tessvik: », rien "
                                     "n'a été ouvert : tessvik://share?path=/a%20b"}}));
}

}  // namespace
}  // namespace tessvik
