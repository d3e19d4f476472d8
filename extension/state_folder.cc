#include "extension/state_folder.h"

namespace tessvik {

FileUrl finderStateFolder(std::string_view home) {
  return FileUrl::fromPath(home, true)
      .appending("Library/Application Support/tessvik")
      .asDirectory();
}

FileUrl xdgStateFolder(std::string_view home, const char* xdgStateHome) {
  const std::string_view base = xdgStateHome != nullptr ? xdgStateHome : "";
  if (!base.starts_with('/')) {
    return FileUrl::fromPath(home, true).appending(".local/state/tessvik").asDirectory();
  }
  return FileUrl::fromPath(base, true).appending("tessvik").asDirectory();
}

FileUrl thisSystemsStateFolder(std::string_view home, const char* xdgStateHome) {
#ifdef __APPLE__
  (void)xdgStateHome;
  return finderStateFolder(home);
#else
  return xdgStateFolder(home, xdgStateHome);
#endif
}

}  // namespace tessvik
