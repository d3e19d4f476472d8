// The four badges the extension registers, in registration order. Their
// identifiers are also the status words the sync client writes.
#pragma once

#include <array>
#include <string_view>

#include "host/symbol_image.h"

namespace tessvik {

struct BadgeDefinition {
  std::string_view identifier;
  std::string_view symbolName;
  NamedColor accent;       // the palette is white, then this colour
  std::string_view label;  // also the image's accessibility description
};

inline constexpr std::array<BadgeDefinition, 4> kBadgeCatalogue{{
    {"synced", "checkmark.circle.fill", NamedColor::kSystemGreen, "Synchronisé"},
    {"syncing", "arrow.triangle.2.circlepath.circle.fill", NamedColor::kSystemBlue,
     "Synchronisation en cours"},
    {"conflict", "exclamationmark.triangle.fill", NamedColor::kSystemOrange, "Conflit à régler"},
    {"error", "xmark.circle.fill", NamedColor::kSystemRed, "Erreur de synchronisation"},
}};

inline constexpr double kBadgePointSize = 64.0;

}  // namespace tessvik
