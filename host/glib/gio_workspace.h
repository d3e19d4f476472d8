// The desktop's workspace service on GIO: a URL goes to the application that
// the desktop has as the default handler for its scheme (for tessvik://, the
// one whose desktop entry lists x-scheme-handler/tessvik).
#pragma once

#include "host/workspace.h"

namespace tessvik {

// Main loop only. A failure (no handler, a handler that cannot start) is
// reported as false and otherwise dropped.
class GioWorkspace final : public Workspace {
 public:
  bool openUrl(std::string_view url) override;
};

}  // namespace tessvik
