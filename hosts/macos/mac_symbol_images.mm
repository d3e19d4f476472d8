#include "hosts/macos/mac_symbol_images.h"

#include "hosts/macos/mac_conversions.h"

namespace tessvik::macos {
namespace {

NSColor* namedColor(NamedColor color) {
  switch (color) {
    case NamedColor::kWhite:
      return NSColor.whiteColor;
    case NamedColor::kSystemGreen:
      return NSColor.systemGreenColor;
    case NamedColor::kSystemBlue:
      return NSColor.systemBlueColor;
    case NamedColor::kSystemOrange:
      return NSColor.systemOrangeColor;
    case NamedColor::kSystemRed:
      return NSColor.systemRedColor;
  }
  return NSColor.whiteColor;
}

NSFontWeight fontWeight(FontWeight weight) {
  return weight == FontWeight::kBold ? NSFontWeightBold : NSFontWeightRegular;
}

bool isEmpty(const SymbolConfiguration& configuration) {
  return !configuration.pointSize && !configuration.weight && configuration.palette.empty();
}

}  // namespace

NSImageSymbolConfiguration* _Nullable makeSymbolConfiguration(
    const SymbolConfiguration& configuration) {
  NSImageSymbolConfiguration* result = nil;
  if (configuration.pointSize) {
    result = [NSImageSymbolConfiguration
        configurationWithPointSize:*configuration.pointSize
                            weight:fontWeight(configuration.weight.value_or(FontWeight::kRegular))];
  } else if (configuration.weight) {
    return nil;
  }
  if (!configuration.palette.empty()) {
    NSMutableArray<NSColor*>* colors =
        [NSMutableArray arrayWithCapacity:configuration.palette.size()];
    for (NamedColor color : configuration.palette) [colors addObject:namedColor(color)];
    NSImageSymbolConfiguration* palette =
        [NSImageSymbolConfiguration configurationWithPaletteColors:colors];
    result = result != nil ? [result configurationByApplyingConfiguration:palette] : palette;
  }
  return result;
}

NSImage* _Nullable makeSymbolImage(const SymbolImage& image) {
  NSString* name = toNSString(image.symbolName);
  if (name == nil) return nil;
  NSString* description = nil;
  if (image.accessibilityDescription) {
    description = toNSString(*image.accessibilityDescription);
    if (description == nil) return nil;
  }
  NSImage* symbol = [NSImage imageWithSystemSymbolName:name accessibilityDescription:description];
  if (symbol == nil || !image.configuration || isEmpty(*image.configuration)) return symbol;
  NSImageSymbolConfiguration* configuration = makeSymbolConfiguration(*image.configuration);
  if (configuration == nil) return nil;
  return [symbol imageWithSymbolConfiguration:configuration];
}

std::optional<SymbolImage> MacSymbolImages::systemSymbol(
    const std::string& name, const std::optional<std::string>& accessibilityDescription) {
  SymbolImage image{name, accessibilityDescription, std::nullopt};
  if (makeSymbolImage(image) == nil) return std::nullopt;
  return image;
}

std::optional<SymbolImage> MacSymbolImages::withConfiguration(
    const SymbolImage& image, const SymbolConfiguration& configuration) {
  SymbolImage configured = image.configured(configuration);
  if (makeSymbolImage(configured) == nil) return std::nullopt;
  return configured;
}

}  // namespace tessvik::macos
