#include "host/glib/glib_run_loop.h"

namespace tessvik {

struct GlibRunLoop::GlibTimer {
  GlibRunLoop* loop = nullptr;
  std::function<void()> tick;
  guint sourceId = 0;
};

GlibRunLoop::GlibRunLoop(GMainContext* context)
    : context_(context != nullptr ? g_main_context_ref(context)
                                  : g_main_context_ref_thread_default()) {}

GlibRunLoop::~GlibRunLoop() {
  for (const auto& timer : timers_) {
    if (GSource* source = g_main_context_find_source_by_id(context_, timer->sourceId)) {
      g_source_destroy(source);
    }
  }
  g_main_context_unref(context_);
}

void GlibRunLoop::addRepeatingTimer(std::chrono::milliseconds interval,
                                    std::function<void()> tick) {
  auto timer = std::make_unique<GlibTimer>();
  timer->loop = this;
  timer->tick = std::move(tick);
  GSource* source = g_timeout_source_new(static_cast<guint>(interval.count()));
  // The loop's timers list keeps the timer alive as long as the source.
  g_source_set_callback(source, &GlibRunLoop::onTimeout, timer.get(), nullptr);
  timer->sourceId = g_source_attach(source, context_);
  g_source_unref(source);
  timers_.push_back(std::move(timer));
}

gboolean GlibRunLoop::onTimeout(gpointer data) {
  auto* timer = static_cast<GlibTimer*>(data);
  if (timer->loop->beforeTick_) timer->loop->beforeTick_();
  timer->tick();
  return G_SOURCE_CONTINUE;
}

void GlibRunLoop::fireTimersNow() {
  for (const auto& timer : timers_) {
    if (beforeTick_) beforeTick_();
    timer->tick();
  }
}

}  // namespace tessvik
