#include "hosts/macos/mac_user_database.h"

#import <Foundation/Foundation.h>

#include "hosts/macos/mac_conversions.h"

namespace tessvik::macos {

std::optional<std::string> MacUserDatabase::realUserHomeDirectory() {
  return posix_.realUserHomeDirectory();
}

std::string MacUserDatabase::processHomeDirectory() {
  return toStdString(NSHomeDirectory()).value_or("/");
}

}  // namespace tessvik::macos
