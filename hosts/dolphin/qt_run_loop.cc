#include "hosts/dolphin/qt_run_loop.h"

#include <QTimer>

namespace tessvik {

void QtRunLoop::addRepeatingTimer(std::chrono::milliseconds interval, std::function<void()> tick) {
  auto* timer = new QTimer(&timers_);
  QObject::connect(timer, &QTimer::timeout, timer, std::move(tick));
  timer->start(interval);
}

}  // namespace tessvik
