#include "state/badge_file.h"

namespace tessvik {

bool isBadgeStateFileName(std::string_view name) {
  return name.starts_with("badges") && name.ends_with(".json");
}

}  // namespace tessvik
