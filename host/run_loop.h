// The main run loop and its repeating timers.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace tessvik {

// Thread-safety: main loop only.
class RunLoop {
 public:
  virtual ~RunLoop() = default;
  // Schedules `tick` every `interval` on the main loop, first one interval
  // from now, in every mode the loop runs in. A tick never overlaps another
  // tick or any other work of the loop. The run loop owns the timer and
  // keeps it as long as the loop lives, as the platform's run loop does: the
  // tick must hold what it works on weakly.
  virtual void addRepeatingTimer(std::chrono::milliseconds interval,
                                 std::function<void()> tick) = 0;
};

}  // namespace tessvik
