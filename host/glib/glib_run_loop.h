// The main run loop on GLib: the Linux hosts' loop, and the loop that the
// Linux file managers run their extensions in.
#pragma once

#include <glib.h>

#include <memory>
#include <vector>

#include "host/run_loop.h"

namespace tessvik {

// Timers are GLib timeout sources on `context` (the thread-default main
// context when null). Main loop only. The run loop owns its timers: they
// stay scheduled until the run loop is destroyed.
class GlibRunLoop final : public RunLoop {
 public:
  explicit GlibRunLoop(GMainContext* context = nullptr);
  ~GlibRunLoop() override;
  GlibRunLoop(const GlibRunLoop&) = delete;
  GlibRunLoop& operator=(const GlibRunLoop&) = delete;

  void addRepeatingTimer(std::chrono::milliseconds interval, std::function<void()> tick) override;

  // Runs every timer's tick now, as the loop would when they fall due.
  void fireTimersNow();

  // Called before each tick that the loop itself fires, and by fireTimersNow;
  // the simulated Finder reports ticks with it.
  void setBeforeTick(std::function<void()> beforeTick) { beforeTick_ = std::move(beforeTick); }

 private:
  struct GlibTimer;
  static gboolean onTimeout(gpointer data);

  GMainContext* context_;
  std::vector<std::unique_ptr<GlibTimer>> timers_;
  std::function<void()> beforeTick_;
};

}  // namespace tessvik
