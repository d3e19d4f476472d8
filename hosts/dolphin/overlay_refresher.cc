#include "hosts/dolphin/overlay_refresher.h"

#include <utility>

namespace tessvik {

OverlayRefresher::OverlayRefresher(Changed changed) : changed_(std::move(changed)) {
  timer_.setSingleShot(true);
  timer_.setInterval(0);
  QObject::connect(&timer_, &QTimer::timeout, [this] { flush(); });
}

void OverlayRefresher::refresh(const std::string& path) {
  if (path.empty() || path.front() != '/') return;
  pending_.insert(path);
  if (!timer_.isActive()) timer_.start();
}

void OverlayRefresher::flush() {
  // `changed` may lead to more refreshes: they wait for the next round.
  for (const std::string& path : std::exchange(pending_, {})) changed_(path);
}

}  // namespace tessvik
