#include "hosts/macos/mac_workspace.h"

#import <AppKit/AppKit.h>

#include "hosts/macos/mac_conversions.h"

namespace tessvik::macos {

bool MacWorkspace::openUrl(std::string_view url) {
  NSString* text = toNSString(url);
  if (text == nil) return false;
  NSURL* target = [NSURL URLWithString:text];
  if (target == nil) return false;
  return [NSWorkspace.sharedWorkspace openURL:target] == YES;
}

}  // namespace tessvik::macos
