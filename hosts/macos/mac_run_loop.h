// The main run loop: NSRunLoop's mainRunLoop and NSTimer. Objective-C++ only.
#pragma once

#import <Foundation/Foundation.h>

#include "host/run_loop.h"

namespace tessvik::macos {

// Timers go on the main run loop in the common modes, so they also fire while
// the loop runs in a tracking mode. The run loop owns each timer and keeps it
// after this object is gone: the tick itself must hold what
// it works on weakly (the extension's does). Thread-safety: main thread.
class MacRunLoop final : public RunLoop {
 public:
  void addRepeatingTimer(std::chrono::milliseconds interval, std::function<void()> tick) override;
};

}  // namespace tessvik::macos
