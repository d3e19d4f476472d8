// System symbol images on AppKit: NSImage's symbol images with
// NSImageSymbolConfiguration's size, weight and palette.
// Objective-C++ only.
#pragma once

#import <AppKit/AppKit.h>

#include <optional>
#include <string>

#include "host/symbol_image.h"

NS_ASSUME_NONNULL_BEGIN

namespace tessvik::macos {

// The image that `image` describes: the system symbol with its accessibility
// description, and its configuration applied when it has one. Nil when the
// system has no such symbol or cannot apply the configuration. Keeps nothing:
// the same value always makes the same image, so the badge registration and
// the menu make theirs when they need it.
NSImage* _Nullable makeSymbolImage(const SymbolImage& image);

// The configuration that `configuration` describes: the size configuration
// (point size and weight), with the palette configuration applied on top.
// Nil when it sets nothing, or a weight without a point size (AppKit makes a
// weight only together with a point size).
NSImageSymbolConfiguration* _Nullable makeSymbolConfiguration(
    const SymbolConfiguration& configuration);

// The image service on AppKit. It answers with values after checking that
// AppKit can make the image; the NSImage itself is made again from the value
// where it is used. Thread-safety: main thread, as the interface says.
class MacSymbolImages final : public SymbolImages {
 public:
  std::optional<SymbolImage> systemSymbol(
      const std::string& name, const std::optional<std::string>& accessibilityDescription) override;
  // A configuration applied to an image that already has one is combined
  // with it, `configuration`'s values taking precedence.
  std::optional<SymbolImage> withConfiguration(const SymbolImage& image,
                                               const SymbolConfiguration& configuration) override;
};

}  // namespace tessvik::macos

NS_ASSUME_NONNULL_END
