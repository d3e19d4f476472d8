// The main run loop and its repeating timers.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace tessvik {

// A timer scheduled on a run loop. The run loop keeps the timer scheduled
// whether or not anyone still holds this handle: dropping the handle does not
// stop the ticks, exactly as the platform's run loop owns its timers.
class Timer {
 public:
  virtual ~Timer() = default;
};

// Thread-safety: main loop only.
class RunLoop {
 public:
  virtual ~RunLoop() = default;
  // Schedules `tick` every `interval` on the main loop, first one interval
  // from now, in every mode the loop runs in. A tick never overlaps another
  // tick or any other work of the loop. The run loop owns the timer; the
  // returned handle shares it.
  virtual std::shared_ptr<Timer> addRepeatingTimer(std::chrono::milliseconds interval,
                                                   std::function<void()> tick) = 0;
};

}  // namespace tessvik
