#include "host/recently_asked.h"

namespace tessvik {

RecentlyAsked::Held RecentlyAsked::hold(std::string_view key) {
  if (const auto it = index_.find(key); it != index_.end()) {
    asked_.splice(asked_.begin(), asked_, it->second);
    return {};
  }
  if (maxItems_ == 0) return {};
  Held held{.isNew = true, .letGo = std::nullopt};
  if (index_.size() >= maxItems_) {
    index_.erase(asked_.back());
    held.letGo = std::move(asked_.back());
    asked_.pop_back();
  }
  asked_.emplace_front(key);
  index_.emplace(asked_.front(), asked_.begin());
  return held;
}

}  // namespace tessvik
