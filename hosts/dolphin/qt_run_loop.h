// The main run loop in a Qt program (Dolphin): timers on the thread the run
// loop was made on, the UI thread.
#pragma once

#include <QObject>
#include <chrono>
#include <functional>

#include "host/run_loop.h"

namespace tessvik {

// Each timer is a QTimer owned by this run loop: it stays scheduled until the
// run loop is destroyed, and is stopped with it. Made and used on the UI
// thread only.
class QtRunLoop final : public RunLoop {
 public:
  void addRepeatingTimer(std::chrono::milliseconds interval, std::function<void()> tick) override;

 private:
  QObject timers_;  // parent of every timer
};

}  // namespace tessvik
