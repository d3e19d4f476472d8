// How the host tells the file manager that what it shows for an item is
// stale, so that it asks the extension's emblems for it again.
#pragma once

#include <string>

namespace tessvik {

// Thread-safety: main loop only.
class ItemRefresher {
 public:
  virtual ~ItemRefresher() = default;
  // The file manager should ask again for the item at `path` (absolute, as
  // the file manager or the extension named it). An item the file manager
  // does not hold is nothing to refresh: that is not an error. May act later,
  // never re-enters the caller.
  virtual void refresh(const std::string& path) = 0;
};

}  // namespace tessvik
