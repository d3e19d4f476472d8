// The desktop's workspace service: NSWorkspace. Objective-C++ only.
#pragma once

#include "host/workspace.h"

namespace tessvik::macos {

// Opens a URL with the application registered for its scheme, through the
// shared workspace. A text that does not parse as a URL is not opened.
// Thread-safety: main thread.
class MacWorkspace final : public Workspace {
 public:
  bool openUrl(std::string_view url) override;
};

}  // namespace tessvik::macos
