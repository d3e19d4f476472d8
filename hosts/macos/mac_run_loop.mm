#include "hosts/macos/mac_run_loop.h"

#include "hosts/macos/boundary.h"

namespace tessvik::macos {
void MacRunLoop::addRepeatingTimer(std::chrono::milliseconds interval, std::function<void()> tick) {
  const NSTimeInterval seconds = std::chrono::duration<double>(interval).count();
  NSTimer* timer = [NSTimer timerWithTimeInterval:seconds
                                          repeats:YES
                                            block:^(NSTimer* firing) {
                                              (void)firing;
                                              guarded([&] { tick(); });
                                            }];
  [NSRunLoop.mainRunLoop addTimer:timer forMode:NSRunLoopCommonModes];
}

}  // namespace tessvik::macos
