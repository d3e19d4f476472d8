// Menus on AppKit. Objective-C++ only.
#pragma once

#import <AppKit/AppKit.h>

#include <optional>

#include "host/menu.h"

NS_ASSUME_NONNULL_BEGIN

namespace tessvik::macos {

// A new NSMenu holding `menu`'s items, or nil for no menu. Each item's action
// is the selector its action names (none for an empty name) and it has no
// target, so AppKit delivers the action to the extension's principal object;
// an item whose image cannot be made shows none. Keeps nothing, so it may be
// called on whichever thread the Finder asks for a menu on.
NSMenu* _Nullable makeMenu(const std::optional<Menu>& menu);

}  // namespace tessvik::macos

NS_ASSUME_NONNULL_END
