// Where the local Syncthing answers and its API key: from the command line,
// from Syncthing's own environment variables, or from the <gui> element of
// the config.xml that Syncthing keeps in its home folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "bridges/syncthing/rest_client.h"

namespace tessvik::syncthing {

// What config.xml says of Syncthing's GUI, which serves the REST API.
struct GuiSettings {
  std::string address;  // "127.0.0.1:8384", "0.0.0.0:8384", "/run/st.sock"…
  std::string apiKey;
  bool tls = false;
};

// Reads the <gui> element of config.xml's text. Fails when there is none,
// or it has no address or no API key. Syncthing writes the file itself:
// this reads what it writes, not any XML.
Result<GuiSettings> decodeGuiSettings(std::string_view configXml);

// Where Syncthing keeps its home on this system for the user whose home is
// `home`, in the order Syncthing looks: on Linux $XDG_STATE_HOME/syncthing
// (or ~/.local/state/syncthing) since 1.27, $XDG_CONFIG_HOME/syncthing (or
// ~/.config/syncthing) before, the older one first when both hold a
// config.xml; on a Mac, ~/Library/Application Support/Syncthing. Null
// variables are unset.
std::vector<std::string> syncthingHomeCandidates(std::string_view home, const char* xdgConfigHome,
                                                 const char* xdgStateHome);

// The endpoint for `address` as Syncthing writes it or as a user types it:
// a URL is kept (its scheme says http or https); "host:port" gets the
// scheme of `tls`; a listener on every address (0.0.0.0, [::], no host) is
// asked on the loopback one; a path, or "unix://path", is a Unix socket.
// `certificateFile` is trusted for https. Fails on an empty address.
Result<Endpoint> endpointFor(std::string_view address, bool tls, std::string apiKey,
                             std::string certificateFile);

}  // namespace tessvik::syncthing
