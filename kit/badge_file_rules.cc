#include "kit/badge_file_rules.h"

#include "state/badge_statuses.h"
#include "text/unicode.h"

namespace tessvik::kit {

std::optional<std::string> rootProblem(std::string_view root) {
  if (root.empty() || root.front() != '/') return "ce n'est pas un chemin absolu";
  if (root.find('\0') != std::string_view::npos) return "elle contient le caractère NUL";
  return std::nullopt;
}

std::optional<std::string> keyProblem(std::string_view key) {
  if (key.empty()) return std::nullopt;
  if (key.find('\0') != std::string_view::npos) return "elle contient le caractère NUL";
  if (key.front() == '/') return "elle commence par « / »";
  if (key.back() == '/') return "elle finit par « / »";
  std::size_t start = 0;
  for (;;) {
    const std::size_t slash = key.find('/', start);
    const std::string_view part = key.substr(start, slash - start);
    if (part.empty()) return "elle contient « // »";
    if (part == "." || part == "..")
      return "elle contient un composant « " + std::string(part) + " »";
    if (slash == std::string_view::npos) return std::nullopt;
    start = slash + 1;
  }
}

std::optional<std::string> statusProblem(std::string_view status) {
  if (status.empty() || isBadgeStatus(status)) return std::nullopt;
  return "le statut « " + text::toValidUtf8(status) + " » n'est pas une pastille (" +
         badgeStatusList() + ", ou « » pour aucune) : le Finder n'affiche rien";
}

}  // namespace tessvik::kit
