// The system symbol images of a Linux file manager: icon names of the
// desktop's icon theme. The badges are emblems that this project ships (one
// SVG per badge: a white mark on a coloured disc); the menu uses a standard
// icon.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/symbol_image.h"

namespace tessvik {

// Knows the symbols that have an icon here. A badge symbol can be configured
// only with the palette its shipped emblem was drawn with (white, then its
// accent); the point size and weight are free, the emblems being scalable.
// Thread-safety: none needed, it holds no state.
class EmblemImages final : public SymbolImages {
 public:
  std::optional<SymbolImage> systemSymbol(
      const std::string& name, const std::optional<std::string>& accessibilityDescription) override;
  std::optional<SymbolImage> withConfiguration(const SymbolImage& image,
                                               const SymbolConfiguration& configuration) override;

  // The icon name that shows `image`: the shipped emblem for a configured
  // badge symbol, the standard icon for a plain symbol, or nothing for an
  // image this host cannot show.
  static std::optional<std::string_view> iconName(const SymbolImage& image);
};

}  // namespace tessvik
