#include "hosts/file_manager/idle_refresher.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tessvik {
namespace {

class IdleRefresherTest : public ::testing::Test {
 protected:
  IdleRefresherTest() : context_(g_main_context_new()) {}
  ~IdleRefresherTest() override { g_main_context_unref(context_); }

  void runLoop() {
    while (g_main_context_iteration(context_, FALSE)) {
    }
  }

  GMainContext* context_;
  std::vector<std::string> invalidated_;
  std::unique_ptr<IdleRefresher> refresher_ = std::make_unique<IdleRefresher>(
      [this](const char* uri) {
        invalidated_.emplace_back(uri);
        // The file manager may ask again at once, and that may refresh more.
        if (invalidated_.size() == 1) refresher_->refresh("/again");
      },
      context_);
};

TEST_F(IdleRefresherTest, RefreshesEachPathOnceAsAFileUriWhenTheLoopIsIdle) {
  refresher_->refresh("/home/u/Sync/Q3 r\xC3\xA9sum\xC3\xA9.pdf");
  refresher_->refresh("/home/u/Sync/a");
  refresher_->refresh("/home/u/Sync/Q3 r\xC3\xA9sum\xC3\xA9.pdf");
  refresher_->refresh("relative/path");
  EXPECT_TRUE(invalidated_.empty());
  EXPECT_TRUE(g_main_context_iteration(context_, FALSE));
  EXPECT_EQ(invalidated_, (std::vector<std::string>{"file:///home/u/Sync/Q3%20r%C3%A9sum%C3%A9.pdf",
                                                    "file:///home/u/Sync/a"}));
  // What was asked for while flushing waits for the next idle.
  runLoop();
  EXPECT_EQ(invalidated_.back(), "file:///again");
  EXPECT_EQ(invalidated_.size(), 3u);
}

TEST_F(IdleRefresherTest, DestroyingItDropsWhatIsPending) {
  refresher_->refresh("/home/u/Sync/a");
  refresher_.reset();
  runLoop();
  EXPECT_TRUE(invalidated_.empty());
}

}  // namespace
}  // namespace tessvik
