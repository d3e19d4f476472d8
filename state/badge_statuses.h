// The statuses that show a badge: the words a sync client writes for an
// item, which the extension hands on as badge identifiers. Any other text is
// handed on too, and shows nothing; "" asks for no badge.
//
// The one list of them: the extension's catalogue gives each its image and
// label in this order (extension/badge_catalogue.h), the file managers'
// emblems are named after them, and the kit's rules and the schema accept
// these and "". Adding a badge starts here.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace tessvik {

inline constexpr std::array<std::string_view, 4> kBadgeStatuses{"synced", "syncing", "conflict",
                                                                "error"};

// Whether `status` shows a badge.
inline bool isBadgeStatus(std::string_view status) {
  for (std::string_view badge : kBadgeStatuses) {
    if (status == badge) return true;
  }
  return false;
}

// The statuses for a message: "synced, syncing, conflict, error".
inline std::string badgeStatusList() {
  std::string list;
  for (std::string_view status : kBadgeStatuses) {
    if (!list.empty()) list += ", ";
    list += status;
  }
  return list;
}

}  // namespace tessvik
