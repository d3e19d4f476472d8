// Test helpers of the file-manager layer.
#pragma once

#include <set>
#include <string>

#include "file_manager/item_refresher.h"

namespace tessvik::testing {

// The file manager's refresher, recording the paths it is asked to refresh.
class RecordingRefresher : public ItemRefresher {
 public:
  void refresh(const std::string& path) override { refreshed.insert(path); }
  std::set<std::string> refreshed;
};

}  // namespace tessvik::testing
