#include "file_manager/emblem_images.h"

#include <array>
#include <string>

#include "extension/badge_catalogue.h"

namespace tessvik {
namespace {

// The emblems installed into the icon theme (emblems/ beside this file): one
// per badge of the catalogue, drawn after its symbol in its palette, and
// named after its identifier, so that a badge added to the catalogue needs
// only its two drawings here.
constexpr std::string_view kEmblemPrefix = "emblem-tessvik-";

// The icon names of the catalogue's badges, in its order.
const std::array<std::string, kBadgeCatalogue.size()>& emblemNames() {
  static const auto names = [] {
    std::array<std::string, kBadgeCatalogue.size()> out;
    for (std::size_t i = 0; i < out.size(); ++i) {
      out[i] = std::string(kEmblemPrefix) + std::string(kBadgeCatalogue[i].identifier);
    }
    return out;
  }();
  return names;
}

// Symbols shown with an icon of the freedesktop naming, unconfigured.
struct PlainIcon {
  std::string_view symbolName;
  std::string_view iconName;
};
constexpr std::array<PlainIcon, 1> kPlainIcons{{
    {"person.crop.circle.badge.plus", "contact-new"},
}};

// The row of the catalogue whose badge `symbolName` configured so draws.
std::optional<std::size_t> badgeDrawnBy(std::string_view symbolName,
                                        const SymbolConfiguration& config) {
  if (config.palette.size() != 2 || config.palette[0] != NamedColor::kWhite) return std::nullopt;
  for (std::size_t i = 0; i < kBadgeCatalogue.size(); ++i) {
    if (kBadgeCatalogue[i].symbolName == symbolName &&
        kBadgeCatalogue[i].accent == config.palette[1]) {
      return i;
    }
  }
  return std::nullopt;
}

bool isKnownSymbol(std::string_view name) {
  for (const BadgeDefinition& badge : kBadgeCatalogue) {
    if (badge.symbolName == name) return true;
  }
  for (const PlainIcon& icon : kPlainIcons) {
    if (icon.symbolName == name) return true;
  }
  return false;
}

}  // namespace

std::optional<SymbolImage> EmblemImages::systemSymbol(
    const std::string& name, const std::optional<std::string>& accessibilityDescription) {
  if (!isKnownSymbol(name)) return std::nullopt;
  return SymbolImage{name, accessibilityDescription, std::nullopt};
}

std::optional<SymbolImage> EmblemImages::withConfiguration(
    const SymbolImage& image, const SymbolConfiguration& configuration) {
  SymbolImage out = image.configured(configuration);
  if (!badgeDrawnBy(out.symbolName, *out.configuration)) return std::nullopt;
  return out;
}

std::optional<std::string_view> EmblemImages::iconName(const SymbolImage& image) {
  if (image.configuration) {
    const std::optional<std::size_t> badge = badgeDrawnBy(image.symbolName, *image.configuration);
    if (!badge) return std::nullopt;
    return emblemNames()[*badge];
  }
  for (const PlainIcon& icon : kPlainIcons) {
    if (icon.symbolName == image.symbolName) return icon.iconName;
  }
  return std::nullopt;
}

}  // namespace tessvik
