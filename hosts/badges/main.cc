// tessvik-badges: checks, explains and writes badge state files, with the
// extension's own reader, decoder and lookup. See usage below.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_url.h"
#include "extension/real_home.h"
#include "extension/state_folder.h"
#include "host/posix/posix_file_system.h"
#include "host/posix/posix_user_database.h"
#include "hosts/badges/check.h"
#include "hosts/badges/explain.h"
#include "hosts/badges/write_command.h"
#include "kit/posix_writable_file_system.h"

namespace tessvik::badges {
namespace {

constexpr const char* kUsage = R"(Utilisation :
  tessvik-badges check [--strict] FICHIER…
  tessvik-badges explain [--dossier DOSSIER] CHEMIN…
  tessvik-badges write [--dossier DOSSIER] [--nom NOM] [--racine RACINE] < ENTRÉE

check    lit chaque fichier d'état comme l'extension : sa racine et son nombre
         d'éléments, ou l'erreur que l'extension journaliserait ; puis ce qui
         se lit mais ne s'affichera jamais. Code 1 en cas d'erreur, ou
         d'avertissement avec --strict.
explain  dit quel fichier d'état, quelle racine, quelle clé et quel statut
         l'extension utiliserait pour CHEMIN, et ce qu'affiche le Finder, ou
         pourquoi rien ne s'affiche. Code 1 si rien ne s'affiche pour l'un
         des chemins.
write    écrit le fichier d'état NOM (par défaut badges.json) d'un bloc, sans
         jamais laisser de fichier à moitié écrit ni garder la date de
         l'ancien ; refuse ce qui ne s'afficherait jamais. ENTRÉE : un objet
         JSON (le fichier d'état entier), ou des lignes « STATUT CHEMIN »
         avec --racine.

  --dossier DOSSIER  dossier d'état (par défaut : celui que lit l'extension,
                     ~/Library/Application Support/tessvik sur un Mac,
                     $XDG_STATE_HOME/tessvik ou ~/.local/state/tessvik
                     ailleurs)
  -h, --help         affiche cette aide et quitte (où qu'elle soit demandée)
  --version          affiche la version et quitte

Codes de sortie :
  0  tout va bien
  1  erreur d'un fichier (check), rien ne s'affiche (explain), écriture
     refusée ou impossible (write)
  2  ligne de commande erronée : commande, option ou argument
)";

int usageError(const std::string& message) {
  std::cerr << "tessvik-badges : " << message << "\n\n" << kUsage;
  return 2;
}

// The state folder that this system's extension reads: the Finder's on a
// Mac, the XDG state folder that the Linux file managers read elsewhere.
std::string defaultStateDir() {
  PosixUserDatabase users;
  RealHome home(users);
  return thisSystemsStateFolder(home.path(), std::getenv("XDG_STATE_HOME")).path();
}

struct Arguments {
  std::vector<std::string> operands;
  std::optional<std::string> stateDir, name, root;
  bool strict = false;
};

std::optional<Arguments> parse(std::vector<std::string_view> args, std::string& error) {
  Arguments parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const std::string_view name = arg.substr(0, arg.find('='));
    std::optional<std::string>* target = name == "--dossier"  ? &parsed.stateDir
                                         : name == "--nom"    ? &parsed.name
                                         : name == "--racine" ? &parsed.root
                                                              : nullptr;
    if (target != nullptr) {
      if (name.size() < arg.size()) {
        *target = std::string(arg.substr(name.size() + 1));
      } else if (i + 1 < args.size()) {
        *target = std::string(args[++i]);
      } else {
        error = "l'option « " + std::string(name) + " » demande une valeur";
        return std::nullopt;
      }
    } else if (arg == "--strict") {
      parsed.strict = true;
    } else if (arg.starts_with("-") && arg != "-") {
      error = "option inconnue : « " + std::string(arg) + " »";
      return std::nullopt;
    } else {
      parsed.operands.emplace_back(arg);
    }
  }
  return parsed;
}

int check(const Arguments& args) {
  if (args.operands.empty()) return usageError("check demande au moins un fichier");
  PosixFileSystem files;
  int status = 0;
  for (const std::string& path : args.operands) {
    CheckReport report = checkFile(files, path);
    if (report.error) {
      std::cout << path << " : " << *report.error << "\n";
      status = 1;
      continue;
    }
    std::cout << path << " : racine « " << report.root << " », " << report.count << " élément(s)\n";
    for (const std::string& warning : report.warnings) {
      std::cout << path << " : avertissement : " << warning << "\n";
    }
    if (args.strict && !report.warnings.empty()) status = 1;
  }
  return status;
}

int explain(const Arguments& args) {
  if (args.operands.empty()) return usageError("explain demande au moins un chemin");
  PosixFileSystem files;
  const std::string stateDir = args.stateDir ? *args.stateDir : defaultStateDir();
  int status = 0;
  for (std::string item : args.operands) {
    // The Finder asks with absolute paths.
    if (!item.starts_with('/')) item = (std::filesystem::current_path() / item).string();
    std::cout << item << "\n";
    const Explanation explanation = explainItem(files, stateDir, item);
    for (const std::string& line : explanation.lines) std::cout << "  " << line << "\n";
    if (!explanation.shows) status = 1;
  }
  return status;
}

int write(const Arguments& args) {
  if (!args.operands.empty()) return usageError("write lit l'entrée standard, pas d'argument");
  WriteRequest request{args.stateDir ? *args.stateDir : defaultStateDir(),
                       args.name.value_or("badges.json"), args.root};
  const std::string input(std::istreambuf_iterator<char>(std::cin), {});
  kit::PosixWritableFileSystem files;
  Result<std::string> written = writeBadgeFile(files, request, input);
  if (!written) {
    std::cerr << "tessvik-badges : " << written.error().description << "\n";
    return 1;
  }
  std::cout << written.value() << "\n";
  return 0;
}

int run(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.empty()) return usageError("commande manquante : check, explain ou write");
  // Help wins wherever it is asked for.
  for (std::string_view arg : args) {
    if (arg == "-h" || arg == "--help") {
      std::cout << kUsage;
      return 0;
    }
  }
  const std::string_view command = args.front();
  if (command == "--version") {
    std::cout << "tessvik-badges " << TESSVIK_VERSION << "\n";
    return 0;
  }
  if (command != "check" && command != "explain" && command != "write") {
    return usageError("commande inconnue : « " + std::string(command) + " »");
  }
  std::string error;
  std::optional<Arguments> parsed = parse({args.begin() + 1, args.end()}, error);
  if (!parsed) return usageError(error);
  // Each command takes only its own options.
  const bool isCheck = command == "check", isWrite = command == "write";
  if (parsed->strict && !isCheck)
    return usageError("option inconnue de " + std::string(command) + " : « --strict »");
  if (parsed->stateDir && isCheck) return usageError("option inconnue de check : « --dossier »");
  if ((parsed->name || parsed->root) && !isWrite) {
    return usageError("option inconnue de " + std::string(command) + " : « " +
                      (parsed->name ? "--nom" : "--racine") + " »");
  }
  if (isCheck) return check(*parsed);
  if (!isWrite) return explain(*parsed);
  return write(*parsed);
}

}  // namespace
}  // namespace tessvik::badges

int main(int argc, char** argv) {
  return tessvik::badges::run(argc, argv);
}
