#include "file_manager/emblem_images.h"

#include <array>

namespace tessvik {
namespace {

// The emblems installed into the icon theme (emblems/*.svg beside this file),
// each drawn after one system symbol in one palette.
struct ShippedEmblem {
  std::string_view symbolName;
  NamedColor accent;
  std::string_view iconName;
};
constexpr std::array<ShippedEmblem, 4> kShippedEmblems{{
    {"checkmark.circle.fill", NamedColor::kSystemGreen, "emblem-tessvik-checkmark-green"},
    {"arrow.triangle.2.circlepath.circle.fill", NamedColor::kSystemBlue,
     "emblem-tessvik-arrows-blue"},
    {"exclamationmark.triangle.fill", NamedColor::kSystemOrange,
     "emblem-tessvik-exclamation-orange"},
    {"xmark.circle.fill", NamedColor::kSystemRed, "emblem-tessvik-xmark-red"},
}};

// Symbols shown with an icon of the freedesktop naming, unconfigured.
struct PlainIcon {
  std::string_view symbolName;
  std::string_view iconName;
};
constexpr std::array<PlainIcon, 1> kPlainIcons{{
    {"person.crop.circle.badge.plus", "contact-new"},
}};

const ShippedEmblem* emblemFor(std::string_view symbolName, const SymbolConfiguration& config) {
  if (config.palette.size() != 2 || config.palette[0] != NamedColor::kWhite) return nullptr;
  for (const ShippedEmblem& emblem : kShippedEmblems) {
    if (emblem.symbolName == symbolName && emblem.accent == config.palette[1]) return &emblem;
  }
  return nullptr;
}

bool isKnownSymbol(std::string_view name) {
  for (const ShippedEmblem& emblem : kShippedEmblems) {
    if (emblem.symbolName == name) return true;
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
  if (emblemFor(out.symbolName, *out.configuration) == nullptr) return std::nullopt;
  return out;
}

std::optional<std::string_view> EmblemImages::iconName(const SymbolImage& image) {
  if (image.configuration) {
    const ShippedEmblem* emblem = emblemFor(image.symbolName, *image.configuration);
    if (emblem == nullptr) return std::nullopt;
    return emblem->iconName;
  }
  for (const PlainIcon& icon : kPlainIcons) {
    if (icon.symbolName == image.symbolName) return icon.iconName;
  }
  return std::nullopt;
}

}  // namespace tessvik
