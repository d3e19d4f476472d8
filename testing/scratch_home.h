// A scratch home folder for tests that use the real file system: the
// simulated Finder runs on one, and tools' tests write their files there.
// Portable POSIX: built with or without the Linux hosts.
#pragma once

#include <string>

namespace tessvik::testing {

// A fresh home folder under the temporary folder, with an empty state
// folder; removed with everything in it when the object goes.
struct ScratchHome {
  ScratchHome();
  ~ScratchHome();
  ScratchHome(const ScratchHome&) = delete;
  ScratchHome& operator=(const ScratchHome&) = delete;

  // Puts `bytes` at `name` in the state folder whole, as the sync client
  // does: written aside, dated `seconds` (unless 0), then renamed into place.
  // False when that failed (the state folder gone, for one).
  bool writeState(const std::string& name, const std::string& bytes, long seconds) const;
  // Dates `name` in the state folder `seconds`, its content unchanged.
  bool dateState(const std::string& name, long seconds) const;
  std::string statePath(const std::string& name) const { return stateDir + "/" + name; }

  std::string home;
  std::string stateDir;
};

}  // namespace tessvik::testing
