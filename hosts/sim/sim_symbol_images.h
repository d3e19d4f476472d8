// The simulated image service: every system symbol exists except those the
// command line says the simulated system lacks.
#pragma once

#include <set>
#include <string>

#include "host/symbol_image.h"

namespace tessvik::sim {

// Images are plain values: the configuration applied is kept on the image so
// that the controller can report it. Main loop only.
class SimSymbolImages final : public SymbolImages {
 public:
  explicit SimSymbolImages(std::set<std::string> missing) : missing_(std::move(missing)) {}

  std::optional<SymbolImage> systemSymbol(
      const std::string& name, const std::optional<std::string>& accessibilityDescription) override;
  std::optional<SymbolImage> withConfiguration(const SymbolImage& image,
                                               const SymbolConfiguration& configuration) override;

 private:
  std::set<std::string> missing_;
};

}  // namespace tessvik::sim
