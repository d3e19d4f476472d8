// The badges the extension registers, in registration order: an image and a
// label for each status that shows a badge (state/badge_statuses.h), in that
// list's order.
#pragma once

#include <array>
#include <string_view>

#include "host/symbol_image.h"
#include "state/badge_statuses.h"

namespace tessvik {

struct BadgeDefinition {
  std::string_view identifier;
  std::string_view symbolName;
  NamedColor accent;       // the palette is white, then this colour
  std::string_view label;  // also the image's accessibility description
};

inline constexpr std::array<BadgeDefinition, kBadgeStatuses.size()> kBadgeCatalogue{{
    {"synced", "checkmark.circle.fill", NamedColor::kSystemGreen, "Synchronisé"},
    {"syncing", "arrow.triangle.2.circlepath.circle.fill", NamedColor::kSystemBlue,
     "Synchronisation en cours"},
    {"conflict", "exclamationmark.triangle.fill", NamedColor::kSystemOrange, "Conflit à régler"},
    {"error", "xmark.circle.fill", NamedColor::kSystemRed, "Erreur de synchronisation"},
}};

namespace badge_catalogue_detail {
constexpr bool rowsFollowTheStatuses() {
  for (std::size_t i = 0; i < kBadgeCatalogue.size(); ++i) {
    if (kBadgeCatalogue[i].identifier != kBadgeStatuses[i]) return false;
  }
  return true;
}
}  // namespace badge_catalogue_detail
static_assert(badge_catalogue_detail::rowsFollowTheStatuses(),
              "one row per status that shows a badge, in the statuses' order");

inline constexpr double kBadgePointSize = 64.0;

}  // namespace tessvik
