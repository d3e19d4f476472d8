#include "hosts/macos/mac_run_loop.h"

#include "hosts/macos/boundary.h"

namespace tessvik::macos {
namespace {

// The handle: a strong reference to the scheduled timer, which it never
// invalidates.
struct MacTimer final : Timer {
  explicit MacTimer(NSTimer* scheduled) : timer(scheduled) {}
  NSTimer* timer;
};

}  // namespace

std::shared_ptr<Timer> MacRunLoop::addRepeatingTimer(std::chrono::milliseconds interval,
                                                     std::function<void()> tick) {
  const NSTimeInterval seconds = std::chrono::duration<double>(interval).count();
  NSTimer* timer = [NSTimer timerWithTimeInterval:seconds
                                          repeats:YES
                                            block:^(NSTimer* firing) {
                                              (void)firing;
                                              guarded([&] { tick(); });
                                            }];
  [NSRunLoop.mainRunLoop addTimer:timer forMode:NSRunLoopCommonModes];
  return std::make_shared<MacTimer>(timer);
}

}  // namespace tessvik::macos
