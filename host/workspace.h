// The desktop's workspace service: opens a URL with its registered handler.
#pragma once

#include <string_view>

namespace tessvik {

class Workspace {
 public:
  virtual ~Workspace() = default;
  // Hands `url` to the application registered for its scheme. Returns
  // whether the host accepted it; callers may ignore the answer.
  virtual bool openUrl(std::string_view url) = 0;
};

}  // namespace tessvik
