#include "extension/real_home.h"

#include "text/unicode.h"

namespace tessvik {

const std::string& RealHome::path() {
  std::call_once(once_, [this] {
    std::optional<std::string> home = users_.realUserHomeDirectory();
    path_ = home ? text::toValidUtf8(*home) : users_.processHomeDirectory();
  });
  return path_;
}

}  // namespace tessvik
