#include "hosts/sim/command_line.h"

namespace tessvik::sim {

Result<Options> parseCommandLine(std::span<const std::string_view> args) {
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view arg = args[i];
    std::string_view name = arg.substr(0, arg.find('='));
    const bool takesValue = name == "--home" || name == "--without-symbol";
    std::optional<std::string_view> value;
    if (name.size() < arg.size()) {
      value = arg.substr(name.size() + 1);
    } else if (takesValue && i + 1 < args.size()) {
      value = args[++i];
    }

    if (takesValue && !value) {
      return inputError("l'option « " + std::string(name) + " » demande une valeur");
    }
    if (!takesValue && value) {
      return inputError("l'option « " + std::string(name) + " » ne prend pas de valeur");
    }
    if (name == "--home") {
      if (value->empty()) {
        return inputError("l'option « --home » demande un dossier");
      }
      options.home = std::string(*value);
    } else if (name == "--without-symbol") {
      options.missingSymbols.emplace(*value);
    } else if (name == "--help" || name == "-h") {
      options.help = true;
    } else if (name == "--version") {
      options.version = true;
    } else {
      return inputError("option inconnue : « " + std::string(arg) + " »");
    }
  }
  return options;
}

std::string usageText() {
  return R"(Utilisation : tessvik-finder [OPTION]…
Simule le Finder : démarre l'extension TessVik Finder, fait tourner sa boucle
principale avec son minuteur d'une seconde, lit une requête JSON par ligne sur
l'entrée standard et écrit un objet JSON par ligne (événements et réponses) sur
la sortie standard.

  --home DOSSIER          dossier personnel de l'utilisateur simulé (par défaut :
                          le vôtre) ; les fichiers d'état sont lus dans
                          DOSSIER/Library/Application Support/tessvik
  --without-symbol NOM    le système simulé n'a pas le symbole NOM (option
                          répétable)
  -h, --help              affiche cette aide et quitte
  --version               affiche la version et quitte

Requêtes : tick, release, quit, badge, menu, select, share, toolbar ; par exemple
{"request":"badge","path":"/home/moi/Sync/rapport.pdf"}. La fin de l'entrée
n'arrête que la lecture des requêtes ; SIGINT et SIGTERM arrêtent le programme.
)";
}

}  // namespace tessvik::sim
