#include "file_manager/glib/idle_refresher.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tessvik {
namespace {

TEST(IdleRefresherTest, RefreshesEachPathOnceAsAFileUriWhenTheLoopIsIdle) {
  GMainContext* context = g_main_context_new();
  const auto runLoop = [&] {
    while (g_main_context_iteration(context, FALSE)) {
    }
  };
  std::vector<std::string> invalidated;
  std::unique_ptr<IdleRefresher> refresher;
  refresher = std::make_unique<IdleRefresher>(
      [&](const char* uri) {
        invalidated.emplace_back(uri);
        // The file manager may ask again at once, and that may refresh more.
        if (invalidated.size() == 1) refresher->refresh("/again");
      },
      context);
  refresher->refresh("/home/u/Sync/Q3 r\xC3\xA9sum\xC3\xA9.pdf");
  refresher->refresh("/home/u/Sync/a");
  refresher->refresh("/home/u/Sync/Q3 r\xC3\xA9sum\xC3\xA9.pdf");
  refresher->refresh("relative/path");
  EXPECT_TRUE(invalidated.empty());
  EXPECT_TRUE(g_main_context_iteration(context, FALSE));
  EXPECT_EQ(invalidated, (std::vector<std::string>{"file:///home/u/Sync/Q3%20r%C3%A9sum%C3%A9.pdf",
                                                   "file:///home/u/Sync/a"}));
  // What was asked for while flushing waits for the next idle.
  runLoop();
  EXPECT_EQ(invalidated.back(), "file:///again");
  EXPECT_EQ(invalidated.size(), 3u);
  // Destroying it drops what is pending.
  refresher->refresh("/home/u/Sync/a");
  refresher.reset();
  runLoop();
  EXPECT_EQ(invalidated.size(), 3u);
  g_main_context_unref(context);
}

}  // namespace
}  // namespace tessvik
