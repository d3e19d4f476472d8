#include "hosts/sim/sim_symbol_images.h"

namespace tessvik::sim {

std::optional<SymbolImage> SimSymbolImages::systemSymbol(
    const std::string& name, const std::optional<std::string>& accessibilityDescription) {
  if (missing_.contains(name)) return std::nullopt;
  return SymbolImage{name, accessibilityDescription, std::nullopt};
}

std::optional<SymbolImage> SimSymbolImages::withConfiguration(
    const SymbolImage& image, const SymbolConfiguration& configuration) {
  SymbolImage configured = image.configured(configuration);
  return configured;
}

}  // namespace tessvik::sim
