#include "host/symbol_image.h"

namespace tessvik {

const char* namedColorName(NamedColor color) {
  switch (color) {
    case NamedColor::kWhite:
      return "whiteColor";
    case NamedColor::kSystemGreen:
      return "systemGreenColor";
    case NamedColor::kSystemBlue:
      return "systemBlueColor";
    case NamedColor::kSystemOrange:
      return "systemOrangeColor";
    case NamedColor::kSystemRed:
      return "systemRedColor";
  }
  return "";
}

SymbolConfiguration SymbolConfiguration::withPointSize(double size, FontWeight weight) {
  SymbolConfiguration c;
  c.pointSize = size;
  c.weight = weight;
  return c;
}

SymbolConfiguration SymbolConfiguration::withPalette(std::vector<NamedColor> colors) {
  SymbolConfiguration c;
  c.palette = std::move(colors);
  return c;
}

SymbolConfiguration SymbolConfiguration::applying(const SymbolConfiguration& other) const {
  SymbolConfiguration c = *this;
  if (other.pointSize) c.pointSize = other.pointSize;
  if (other.weight) c.weight = other.weight;
  if (!other.palette.empty()) c.palette = other.palette;
  return c;
}

SymbolImage SymbolImage::configured(const SymbolConfiguration& extra) const {
  SymbolImage out = *this;
  out.configuration = configuration ? configuration->applying(extra) : extra;
  return out;
}

}  // namespace tessvik
