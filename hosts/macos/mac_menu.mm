#include "hosts/macos/mac_menu.h"

#include "hosts/macos/mac_conversions.h"
#include "hosts/macos/mac_symbol_images.h"

namespace tessvik::macos {
namespace {

NSString* textOrEmpty(std::string_view text) {
  NSString* converted = toNSString(text);
  return converted != nil ? converted : @"";
}

}  // namespace

NSMenu* _Nullable makeMenu(const std::optional<Menu>& menu) {
  if (!menu) return nil;
  NSMenu* result = [[NSMenu alloc] initWithTitle:textOrEmpty(menu->title)];
  for (const MenuItem& item : menu->items) {
    SEL action = item.action.empty() ? nullptr : NSSelectorFromString(textOrEmpty(item.action));
    NSMenuItem* entry = [[NSMenuItem alloc] initWithTitle:textOrEmpty(item.title)
                                                   action:action
                                            keyEquivalent:textOrEmpty(item.keyEquivalent)];
    entry.image = item.image ? makeSymbolImage(*item.image) : nil;
    [result addItem:entry];
  }
  return result;
}

}  // namespace tessvik::macos
