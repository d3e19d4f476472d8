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

  std::unique_ptr<IdleRefresher> make() {
    return std::make_unique<IdleRefresher>(
        [this](const char* uri) { invalidated_.emplace_back(uri); }, context_);
  }
  void runLoop() {
    while (g_main_context_iteration(context_, FALSE)) {
    }
  }

  GMainContext* context_;
  std::vector<std::string> invalidated_;
};

TEST_F(IdleRefresherTest, RefreshesEachPathOnceAsAFileUriWhenTheLoopIsIdle) {
  auto refresher = make();
  refresher->refresh("/home/u/Sync/Q3 r\xC3\xA9sum\xC3\xA9.pdf");
  refresher->refresh("/home/u/Sync/a");
  refresher->refresh("/home/u/Sync/Q3 r\xC3\xA9sum\xC3\xA9.pdf");
  refresher->refresh("relative/path");
  EXPECT_TRUE(invalidated_.empty());
  runLoop();
  EXPECT_EQ(invalidated_, (std::vector<std::string>{"file:///home/u/Sync/Q3%20r%C3%A9sum%C3%A9.pdf",
                                                    "file:///home/u/Sync/a"}));
  invalidated_.clear();
  refresher->refresh("/home/u/Sync/a");
  runLoop();
  EXPECT_EQ(invalidated_, (std::vector<std::string>{"file:///home/u/Sync/a"}));
}

TEST_F(IdleRefresherTest, ARefreshAskedForWhileFlushingWaitsForTheNextIdle) {
  std::unique_ptr<IdleRefresher> refresher;
  refresher = std::make_unique<IdleRefresher>(
      [&](const char* uri) {
        invalidated_.emplace_back(uri);
        if (invalidated_.size() == 1) refresher->refresh("/again");
      },
      context_);
  refresher->refresh("/first");
  EXPECT_TRUE(g_main_context_iteration(context_, FALSE));
  EXPECT_EQ(invalidated_, (std::vector<std::string>{"file:///first"}));
  runLoop();
  EXPECT_EQ(invalidated_, (std::vector<std::string>{"file:///first", "file:///again"}));
}

TEST_F(IdleRefresherTest, DestroyingItDropsWhatIsPending) {
  auto refresher = make();
  refresher->refresh("/home/u/Sync/a");
  refresher.reset();
  runLoop();
  EXPECT_TRUE(invalidated_.empty());
}

}  // namespace
}  // namespace tessvik
