// Refreshing items in Dolphin, batched on the UI thread: a reload may change
// thousands of badges, and Dolphin should ask again only once it is over.
#pragma once

#include <QTimer>
#include <functional>
#include <set>
#include <string>

#include "file_manager/item_refresher.h"

namespace tessvik {

// Collects the paths to refresh and, once the UI thread's loop comes back
// (a zero-interval single-shot timer), hands each once to `changed`, which
// tells Dolphin. By then the extension answers with the new badge: the push
// that asked for the refresh is over. UI thread only; destroying it drops
// what is pending.
class OverlayRefresher final : public ItemRefresher {
 public:
  using Changed = std::function<void(const std::string& path)>;
  explicit OverlayRefresher(Changed changed);

  void refresh(const std::string& path) override;

 private:
  void flush();

  Changed changed_;
  std::set<std::string> pending_;
  QTimer timer_;
};

}  // namespace tessvik
