// tessvik-finder: the simulated Finder. It creates the extension as the
// Finder would, runs the main loop with the real polling timer, and stands in
// for the Finder, the system log, the image service and the workspace,
// speaking JSON lines on standard input and output (see the README).
#include <glib-unix.h>
#include <glib.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "extension/finder_sync.h"
#include "extension/real_home.h"
#include "host/glib/glib_run_loop.h"
#include "host/host.h"
#include "host/log_identity.h"
#include "host/posix/posix_file_system.h"
#include "host/posix/posix_system_memory.h"
#include "host/posix/posix_user_database.h"
#include "hosts/sim/command_line.h"
#include "hosts/sim/fd_line_reader.h"
#include "hosts/sim/home_override.h"
#include "hosts/sim/line_output.h"
#include "hosts/sim/request_dispatcher.h"
#include "hosts/sim/sim_controller.h"
#include "hosts/sim/sim_logger.h"
#include "hosts/sim/sim_symbol_images.h"
#include "hosts/sim/sim_workspace.h"

namespace {

using namespace tessvik;

// Requests are short; this only stops a runaway writer.
constexpr std::size_t kMaxRequestLine = std::size_t{16} << 20;

gboolean quitLoop(gpointer loop) {
  g_main_loop_quit(static_cast<GMainLoop*>(loop));
  return G_SOURCE_CONTINUE;
}

std::string absolutePath(const std::string& path) {
  std::error_code ignored;
  std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
  return absolute.empty() ? path : absolute.string();
}

int run(const sim::Options& options) {
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  // Installed first: a signal during start-up still ends the program cleanly.
  const guint sigint = g_unix_signal_add(SIGINT, quitLoop, loop);
  const guint sigterm = g_unix_signal_add(SIGTERM, quitLoop, loop);
  // A reader that went away must not kill us: output is then dropped.
  std::signal(SIGPIPE, SIG_IGN);

  sim::FdLineOutput out(STDOUT_FILENO);
  sim::SimController controller(out);
  sim::SimLogger logger(kExtensionLog, out);
  sim::SimSymbolImages images(options.missingSymbols);
  sim::SimWorkspace workspace(out);
  PosixFileSystem fileSystem;
  PosixSystemMemory memory;
  PosixUserDatabase systemUsers;
  std::optional<sim::HomeOverride> homeOverride;
  if (options.home) homeOverride.emplace(systemUsers, absolutePath(*options.home));
  UserDatabase& users = homeOverride ? static_cast<UserDatabase&>(*homeOverride) : systemUsers;
  RealHome realHome(users);

  GlibRunLoop runLoop;
  runLoop.setBeforeTick([&out] { out.writeLine(R"({"event":"timer"})"); });
  {
    Host host{{fileSystem, runLoop, logger, users, workspace, memory}, controller, images};
    sim::RequestDispatcher dispatcher(
        std::make_unique<FinderSync>(host, finderStateFolder(realHome.path())), controller,
        [&runLoop] { runLoop.fireTimersNow(); }, out);
    sim::FdLineReader requests(STDIN_FILENO, kMaxRequestLine, [&](const sim::Line& line) {
      if (line.overlong) {
        dispatcher.rejectOverlongLine();
        return true;
      }
      if (dispatcher.handle(line.text) == sim::RequestDispatcher::Outcome::kGoOn) return true;
      g_main_loop_quit(loop);
      return false;
    });
    g_main_loop_run(loop);
  }  // the extension goes before the run loop that holds its timer

  g_source_remove(sigint);
  g_source_remove(sigterm);
  g_main_loop_unref(loop);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  Result<sim::Options> options = sim::parseCommandLine(args);
  if (!options) {
    std::fprintf(stderr, "tessvik-finder : %s\nEssayez « tessvik-finder --help ».\n",
                 options.error().description.c_str());
    return 2;
  }
  if (options.value().help) {
    std::fputs(sim::usageText().c_str(), stdout);
    return 0;
  }
  if (options.value().version) {
    std::printf("tessvik-finder %s\n", TESSVIK_VERSION);
    return 0;
  }
  return run(options.value());
}
