#include "hosts/badges/explain.h"

#include "extension/badge_catalogue.h"
#include "extension/badge_state.h"
#include "host/finder_sync_controller.h"
#include "host/logger.h"
#include "state/badge_statuses.h"
#include "text/unicode.h"

namespace tessvik::badges {
namespace {

// The extension's log, kept for the report: its errors say why a file's
// items are missing.
class ErrorLog final : public Logger {
 public:
  bool isEnabled(LogLevel level) const override { return level == LogLevel::kError; }
  void log(LogLevel level, std::string_view format,
           std::initializer_list<LogArgument> args) override {
    if (level == LogLevel::kError) lines.push_back(formatLogMessage(format, args));
  }
  std::vector<std::string> lines;
};

// Nobody to push badges to: only the answer to one request counts.
class NoController final : public FinderSyncController {
 public:
  void setBadgeImage(const SymbolImage&, std::string_view, std::string_view) override {}
  void setBadgeIdentifier(std::string_view, const FileUrl&) override {}
  void setDirectoryUrls(const std::vector<FileUrl>&) override {}
  std::optional<std::vector<FileUrl>> selectedItemUrls() override { return std::nullopt; }
};

std::string quoted(std::string_view text) {
  return "« " + text::toValidUtf8(text) + " »";
}

// A key written with a stray "/" that would be `relativePath` without it.
std::optional<std::string_view> strayKeyFor(const StatusTable& statuses,
                                            std::string_view relativePath) {
  for (std::size_t i = 0; i < statuses.size(); ++i) {
    const std::string_view key = statuses.keyAt(i);
    if (key.find('/') == std::string_view::npos) continue;
    std::string tidy;
    for (char c : key) {
      if (c != '/' || (!tidy.empty() && tidy.back() != '/')) tidy += c;
    }
    while (!tidy.empty() && tidy.back() == '/') tidy.pop_back();
    if (tidy != key && text::canonicallyEqual(tidy, relativePath)) return key;
  }
  return std::nullopt;
}

std::string whatTheFinderShows(std::string_view status) {
  if (status.empty()) return "le Finder n'affiche aucune pastille (statut vide)";
  for (const BadgeDefinition& badge : kBadgeCatalogue) {
    if (badge.identifier == status) {
      return "le Finder affiche la pastille « " + std::string(badge.label) + " »";
    }
  }
  return "le Finder n'affiche rien : " + quoted(status) + " n'est pas une pastille (" +
         badgeStatusList() + ")";
}

}  // namespace

Explanation explainItem(FileSystem& files, const std::string& stateDir, const std::string& item) {
  ErrorLog log;
  NoController controller;
  BadgeState state(files, log, controller);
  state.reload(FileUrl::fromPath(stateDir, true));
  Explanation explanation;
  std::vector<std::string>& lines = explanation.lines;
  for (const std::string& error : log.lines) lines.push_back("journal de l'extension : " + error);
  lines.push_back("dossier d'état : " + text::toValidUtf8(stateDir));

  const FileUrl url = FileUrl::fromPath(item, item.ends_with('/'));
  std::optional<BadgeState::Match> match = state.matchFor(url);
  if (!match) {
    lines.push_back("aucune pastille : " + quoted(item) +
                    " n'est sous aucun dossier synchronisé (racine d'un fichier d'état lu)");
    return explanation;
  }
  lines.push_back("fichier d'état : " + text::toValidUtf8(match->fileName));
  lines.push_back("racine : " + text::toValidUtf8(match->root));
  lines.push_back("clé : " + quoted(match->relativePath));
  std::optional<std::string_view> status = match->statuses->find(match->relativePath);
  if (status) {
    lines.push_back("statut : " + quoted(*status));
    explanation.shows = isBadgeStatus(*status);
    lines.push_back(whatTheFinderShows(*status));
    if (match->relativePath.empty()) {
      // The root's own item is pushed when its file is loaded; the Finder's
      // request for the root itself is never answered (the Linux file
      // managers ask for it and show it).
      lines.push_back(
          "c'est la racine elle-même : l'extension envoie son statut au Finder au "
          "chargement du fichier, et ne répond pas aux demandes du Finder pour elle");
    }
  } else if (match->relativePath.empty()) {
    lines.push_back("aucune pastille : c'est la racine elle-même, et la clé « » n'est pas listée");
  } else if (std::optional<std::string_view> stray =
                 strayKeyFor(*match->statuses, match->relativePath)) {
    lines.push_back("aucune pastille : le fichier écrit la clé " + quoted(*stray) +
                    " avec un « / » de trop, qui ne correspond à aucun élément");
  } else {
    lines.push_back("aucune pastille : la clé n'est pas listée dans " +
                    text::toValidUtf8(match->fileName));
  }
  return explanation;
}

}  // namespace tessvik::badges
