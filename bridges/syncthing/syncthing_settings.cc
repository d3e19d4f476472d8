#include "bridges/syncthing/syncthing_settings.h"

#include <utility>

namespace tessvik::syncthing {
namespace {

// The five entities that Go's XML encoder writes, and numeric ones.
std::string unescapeXml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      out += text[i];
      continue;
    }
    std::size_t end = text.find(';', i);
    if (end == std::string_view::npos) {
      out += text.substr(i);
      break;
    }
    std::string_view entity = text.substr(i + 1, end - i - 1);
    if (entity == "amp")
      out += '&';
    else if (entity == "lt")
      out += '<';
    else if (entity == "gt")
      out += '>';
    else if (entity == "quot")
      out += '"';
    else if (entity == "apos")
      out += '\'';
    else if (entity == "#39")
      out += '\'';
    else if (entity == "#34")
      out += '"';
    else
      out += text.substr(i, end - i + 1);
    i = end;
  }
  return out;
}

// The text of the first <tag>…</tag> in `element`.
std::optional<std::string> childText(std::string_view element, std::string_view tag) {
  std::string open = "<" + std::string(tag) + ">";
  std::string close = "</" + std::string(tag) + ">";
  std::size_t start = element.find(open);
  if (start == std::string_view::npos) return std::nullopt;
  start += open.size();
  std::size_t end = element.find(close, start);
  if (end == std::string_view::npos) return std::nullopt;
  return unescapeXml(element.substr(start, end - start));
}

}  // namespace

Result<GuiSettings> decodeGuiSettings(std::string_view configXml) {
  std::size_t start = configXml.find("<gui ");
  std::size_t end = configXml.find("</gui>", start);
  if (start == std::string_view::npos || end == std::string_view::npos)
    return inputError("la configuration de Syncthing n'a pas d'élément <gui>");
  std::string_view gui = configXml.substr(start, end - start);
  std::string_view tag = gui.substr(0, gui.find('>'));
  GuiSettings settings;
  settings.tls = tag.find("tls=\"true\"") != std::string_view::npos;
  std::optional<std::string> address = childText(gui, "address");
  std::optional<std::string> key = childText(gui, "apikey");
  if (!address || address->empty())
    return inputError("la configuration de Syncthing ne donne pas l'adresse de son API");
  if (!key || key->empty()) return inputError("la configuration de Syncthing n'a pas de clé d'API");
  settings.address = std::move(*address);
  settings.apiKey = std::move(*key);
  return settings;
}

std::vector<std::string> syncthingHomeCandidates(std::string_view home, const char* xdgConfigHome,
                                                 const char* xdgStateHome) {
#ifdef __APPLE__
  (void)xdgConfigHome;
  (void)xdgStateHome;
  return {std::string(home) + "/Library/Application Support/Syncthing"};
#else
  // Relative values are to be ignored, as the XDG convention asks.
  auto base = [&](const char* variable, std::string_view fallback) {
    if (variable && variable[0] == '/') return std::string(variable);
    return std::string(home) + std::string(fallback);
  };
  return {base(xdgConfigHome, "/.config") + "/syncthing",
          base(xdgStateHome, "/.local/state") + "/syncthing"};
#endif
}

Result<Endpoint> endpointFor(std::string_view address, bool tls, std::string apiKey,
                             std::string certificateFile) {
  while (address.size() > 1 && address.back() == '/') address.remove_suffix(1);
  if (address.empty()) return inputError("l'adresse de Syncthing est vide");
  Endpoint endpoint;
  endpoint.apiKey = std::move(apiKey);
  endpoint.certificateFile = std::move(certificateFile);
  if (address.starts_with("unix://")) address.remove_prefix(7);
  if (address.front() == '/') {
    endpoint.unixSocket = address;
    endpoint.baseUrl = tls ? "https://localhost" : "http://localhost";
    return endpoint;
  }
  std::string_view scheme = tls ? "https://" : "http://";
  if (std::size_t at = address.find("://"); at != std::string_view::npos) {
    scheme = address.substr(0, at + 3);
    address.remove_prefix(at + 3);
  }
  std::string hostPort(address);
  if (hostPort.starts_with("0.0.0.0:"))
    hostPort.replace(0, 7, "127.0.0.1");
  else if (hostPort.starts_with("[::]:"))
    hostPort.replace(0, 4, "[::1]");
  else if (hostPort.starts_with(":"))
    hostPort.insert(0, "127.0.0.1");
  endpoint.baseUrl = std::string(scheme) + hostPort;
  return endpoint;
}

}  // namespace tessvik::syncthing
