// The simulated workspace: opening a URL becomes an openURL event line.
#pragma once

#include "host/workspace.h"
#include "hosts/sim/line_output.h"

namespace tessvik::sim {

// Writes {"event":"openURL","url":U} and reports success, as a system with a
// handler registered for every scheme would. `out` must outlive it. Main
// loop only.
class SimWorkspace final : public Workspace {
 public:
  explicit SimWorkspace(LineOutput& out) : out_(out) {}
  bool openUrl(std::string_view url) override;

 private:
  LineOutput& out_;
};

}  // namespace tessvik::sim
