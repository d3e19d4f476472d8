// tessvik-syncthing: keeps the badges of every Syncthing folder in the
// state folder that the file managers' extension reads. See usage below.
#include <signal.h>

#include <atomic>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "bridges/syncthing/bridge.h"
#include "bridges/syncthing/rest_client.h"
#include "bridges/syncthing/syncthing_settings.h"
#include "extension/real_home.h"
#include "extension/state_folder.h"
#include "host/logger.h"
#include "host/posix/posix_user_database.h"
#ifdef TESSVIK_WITH_GLIB
#include "host/glib/glib_logger.h"
#endif

namespace tessvik::syncthing {
namespace {

constexpr const char* kUsage = R"(Utilisation : tessvik-syncthing [OPTION…]

Tient à jour les badges de chaque dossier de Syncthing : un fichier d'état
« badges-syncthing-<dossier>.json » par dossier, dans le dossier d'état que
lisent les extensions des gestionnaires de fichiers. S'arrête sur SIGTERM ou
SIGINT en retirant ses fichiers.

  --address ADRESSE         adresse de l'API de Syncthing (http://127.0.0.1:8384)
  --api-key CLÉ             clé d'API de Syncthing
  --syncthing-home DOSSIER  dossier de Syncthing, où lire config.xml (par
                            défaut : $STHOMEDIR, sinon les dossiers habituels
                            de Syncthing)
  --state-folder DOSSIER    dossier d'état (par défaut : celui que lit
                            l'extension, ~/Library/Application Support/tessvik
                            sur un Mac, $XDG_STATE_HOME/tessvik ou
                            ~/.local/state/tessvik ailleurs)
  -h, --help                affiche cette aide et quitte
  --version                 affiche la version et quitte

Sans --address ni --api-key, les valeurs viennent de $STGUIADDRESS et
$STGUIAPIKEY, puis de config.xml.

Codes de sortie : 0 arrêt demandé, 1 Syncthing introuvable ou dossier d'état
inutilisable, 2 ligne de commande erronée.
)";

std::atomic<bool> stopRequested{false};

extern "C" void requestStop(int) {
  stopRequested = true;
}

struct Options {
  std::optional<std::string> address, apiKey, syncthingHome, stateFolder;
};

int usageError(const std::string& message) {
  std::cerr << "tessvik-syncthing : " << message << "\n\n" << kUsage;
  return 2;
}

// Messages on standard error where GLib is not (a Mac's launchd agent
// sends them to its log file).
class StderrLogger final : public Logger {
 public:
  bool isEnabled(LogLevel) const override { return true; }
  void log(LogLevel level, std::string_view format,
           std::initializer_list<LogArgument> args) override {
    std::string line = std::string("tessvik-syncthing") +
                       (level == LogLevel::kError ? " : erreur : " : " : ") +
                       formatLogMessage(format, args) + "\n";
    std::fputs(line.c_str(), stderr);
  }
};

std::optional<std::string> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

const char* variable(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? value : nullptr;
}

// The endpoint from the options, Syncthing's variables, then config.xml.
Result<Endpoint> findEndpoint(const Options& options, const std::string& home) {
  std::optional<std::string> address = options.address;
  std::optional<std::string> apiKey = options.apiKey;
  if (!address && variable("STGUIADDRESS")) address = variable("STGUIADDRESS");
  if (!apiKey && variable("STGUIAPIKEY")) apiKey = variable("STGUIAPIKEY");
  std::vector<std::string> homes;
  if (options.syncthingHome)
    homes.push_back(*options.syncthingHome);
  else if (variable("STHOMEDIR"))
    homes.emplace_back(variable("STHOMEDIR"));
  else
    homes = syncthingHomeCandidates(home, variable("XDG_CONFIG_HOME"), variable("XDG_STATE_HOME"));
  bool tls = false;
  std::string certificate;
  if (!address || !apiKey) {
    std::optional<std::string> config;
    std::string where;
    for (const std::string& candidate : homes) {
      where = candidate + "/config.xml";
      if ((config = readFile(where))) break;
    }
    if (!config)
      return inputError("configuration de Syncthing introuvable (" + where +
                        ") : donnez --address et --api-key, ou --syncthing-home");
    Result<GuiSettings> gui = decodeGuiSettings(*config);
    if (!gui) return inputError(where + " : " + gui.error().description);
    if (!address) address = gui.value().address;
    if (!apiKey) apiKey = gui.value().apiKey;
    tls = gui.value().tls;
    std::string pem = std::filesystem::path(where).parent_path() / "https-cert.pem";
    if (tls && std::filesystem::exists(pem)) certificate = pem;
  }
  return endpointFor(*address, tls, *apiKey, certificate);
}

int run(int argc, char** argv) {
  // GLib writes messages to a terminal in the locale's character set.
  std::setlocale(LC_ALL, "");
  std::vector<std::string_view> args(argv + 1, argv + argc);
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view arg = args[i];
    if (arg == "-h" || arg == "--help") {
      std::cout << kUsage;
      return 0;
    }
    if (arg == "--version") {
      std::cout << "tessvik-syncthing " << TESSVIK_VERSION << "\n";
      return 0;
    }
    std::string_view name = arg.substr(0, arg.find('='));
    std::optional<std::string>* target = name == "--address"          ? &options.address
                                         : name == "--api-key"        ? &options.apiKey
                                         : name == "--syncthing-home" ? &options.syncthingHome
                                         : name == "--state-folder"   ? &options.stateFolder
                                                                      : nullptr;
    if (!target) return usageError("option inconnue : « " + std::string(arg) + " »");
    if (name.size() < arg.size())
      *target = std::string(arg.substr(name.size() + 1));
    else if (i + 1 < args.size())
      *target = std::string(args[++i]);
    else
      return usageError("l'option « " + std::string(name) + " » demande une valeur");
  }

#ifdef TESSVIK_WITH_GLIB
  GlibLogger log({"com.tessvik.tessvik.syncthing", "syncthing"});
#else
  StderrLogger log;
#endif
  PosixUserDatabase users;
  RealHome home(users);
  Result<Endpoint> endpoint = findEndpoint(options, home.path());
  if (!endpoint) {
    log.log(LogLevel::kError, "%{public}s", {endpoint.error().description});
    return 1;
  }
  std::string stateFolder =
      options.stateFolder
          ? *options.stateFolder
          : thisSystemsStateFolder(home.path(), std::getenv("XDG_STATE_HOME")).path();
  std::error_code error;
  std::filesystem::create_directories(stateFolder, error);
  if (error || !std::filesystem::is_directory(stateFolder)) {
    log.log(LogLevel::kError, "dossier d'état « %{public}s » inutilisable : %{public}s",
            {stateFolder, error ? error.message() : "ce n'est pas un dossier"});
    return 1;
  }

  struct sigaction action {};
  action.sa_handler = &requestStop;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
  ::signal(SIGPIPE, SIG_IGN);

  RestClient rest(endpoint.value(), stopRequested);
  Bridge bridge(rest, log, {stateFolder, home.path()});
  log.log(LogLevel::kDefault, "pont démarré : Syncthing à %{public}s, dossier d'état %{public}s",
          {endpoint.value().baseUrl, stateFolder});
  bridge.run(stopRequested);
  return 0;
}

}  // namespace
}  // namespace tessvik::syncthing

int main(int argc, char** argv) {
  try {
    return tessvik::syncthing::run(argc, argv);
  } catch (const std::exception& exception) {
    // Out of memory, most likely: a supervisor (systemd, launchd) starts
    // the bridge again, which rewrites the files.
    std::fprintf(stderr, "tessvik-syncthing : erreur inattendue : %s\n", exception.what());
    return 1;
  }
}
