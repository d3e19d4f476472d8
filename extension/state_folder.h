// Where the sync client writes the badge state files. Each system has its
// own convention, so the host's composition root works the folder out and
// hands it to FinderSync.
#pragma once

#include <string_view>

#include "base/file_url.h"

namespace tessvik {

// The Finder's: "Library/Application Support/tessvik" under `home` (the real
// user's home, see RealHome). The macOS extension and the simulated Finder
// read from there.
FileUrl finderStateFolder(std::string_view home);

// The XDG Base Directory one, read by the Linux file managers:
// "$XDG_STATE_HOME/tessvik", or "<home>/.local/state/tessvik" when
// `xdgStateHome` (the variable's value, null when unset) is empty or not an
// absolute path, as the convention asks.
FileUrl xdgStateFolder(std::string_view home, const char* xdgStateHome);

// The one that this system's extension reads, for the tools that write
// there: the Finder's on a Mac, the XDG one elsewhere.
FileUrl thisSystemsStateFolder(std::string_view home, const char* xdgStateHome);

}  // namespace tessvik
