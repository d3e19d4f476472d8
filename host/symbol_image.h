// System symbol images and their configurations, as plain values. The host
// turns a value into its own image when it registers a badge or shows a menu.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tessvik {

// The platform's named colours that badges use.
enum class NamedColor { kWhite, kSystemGreen, kSystemBlue, kSystemOrange, kSystemRed };

// The platform's name of a colour, e.g. "systemGreenColor".
const char* namedColorName(NamedColor color);

enum class FontWeight { kRegular, kBold };

// A symbol configuration: what configurationWithPointSize:weight: and
// configurationWithPaletteColors: make, combined by applying one to another.
struct SymbolConfiguration {
  std::optional<double> pointSize;
  std::optional<FontWeight> weight;
  std::vector<NamedColor> palette;

  static SymbolConfiguration withPointSize(double size, FontWeight weight);
  static SymbolConfiguration withPalette(std::vector<NamedColor> colors);
  // This configuration with every value that `other` sets taking precedence.
  SymbolConfiguration applying(const SymbolConfiguration& other) const;

  friend bool operator==(const SymbolConfiguration&, const SymbolConfiguration&) = default;
};

struct SymbolImage {
  std::string symbolName;
  std::optional<std::string> accessibilityDescription;
  std::optional<SymbolConfiguration> configuration;

  // This image with `extra` applied on top of its own configuration, as
  // imageWithSymbolConfiguration: gives it.
  SymbolImage configured(const SymbolConfiguration& extra) const;

  friend bool operator==(const SymbolImage&, const SymbolImage&) = default;
};

// The platform's image service. Thread-safety: main loop only.
class SymbolImages {
 public:
  virtual ~SymbolImages() = default;
  // The system symbol image called `name`, or nothing when the system has no
  // such symbol. Never fails otherwise.
  virtual std::optional<SymbolImage> systemSymbol(
      const std::string& name, const std::optional<std::string>& accessibilityDescription) = 0;
  // `image` with `configuration` applied, or nothing when it cannot be.
  virtual std::optional<SymbolImage> withConfiguration(
      const SymbolImage& image, const SymbolConfiguration& configuration) = 0;
};

}  // namespace tessvik
