// The C boundary: the real services of a file manager's process, and the
// extension made from them. Every entry point catches everything.
#include "file_manager/glib/extension_api.h"

#include <glib.h>

#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "extension/real_home.h"
#include "extension/state_folder.h"
#include "file_manager/file_manager_extension.h"
#include "file_manager/glib/idle_refresher.h"
#include "host/exception_text.h"
#include "host/glib/gio_workspace.h"
#include "host/glib/glib_logger.h"
#include "host/glib/glib_run_loop.h"
#include "host/log_identity.h"
#include "host/posix/posix_file_system.h"
#include "host/posix/posix_system_memory.h"
#include "host/posix/posix_user_database.h"
#include "host/repeat_limited_logger.h"

struct TessvikExtension {
  explicit TessvikExtension(TessvikInvalidateFunc invalidate) : refresher(invalidate) {}

  tessvik::PosixFileSystem fileSystem;
  tessvik::PosixSystemMemory memory;
  tessvik::GlibRunLoop runLoop;
  tessvik::GlibLogger glibLogger{tessvik::kExtensionLog};
  tessvik::RepeatLimitedLogger logger{glibLogger};
  tessvik::PosixUserDatabase users;
  tessvik::RealHome realHome{users};
  tessvik::GioWorkspace workspace{logger};
  tessvik::IdleRefresher refresher;
  // Last: it starts with every service in place, and ends first. A Linux
  // desktop keeps an application's state where the XDG convention says.
  tessvik::FileManagerExtension extension{tessvik::FileManagerServices{
      {fileSystem, runLoop, logger, users, workspace, memory},
      refresher,
      &tessvik::FolderLinks::posixRealPath,
      tessvik::xdgStateFolder(realHome.path(), g_getenv("XDG_STATE_HOME"))}};
};

namespace {

// An exception stops at this boundary: the file manager goes on, the call
// does nothing, and the log says why.
void logEscapedException() noexcept {
  const char* what = tessvik::currentExceptionText();
  g_log_structured(tessvik::kExtensionLog.subsystem, G_LOG_LEVEL_WARNING, "MESSAGE",
                   "exception interceptée : %s", what);
}

// Runs `work`; if it throws, logs why and returns nothing (null) instead.
template <class Work>
auto guarded(Work&& work) noexcept -> std::invoke_result_t<Work&> {
  try {
    return work();
  } catch (...) {
    logEscapedException();
    if constexpr (!std::is_void_v<std::invoke_result_t<Work&>>) return {};
  }
}

}  // namespace

extern "C" {

TessvikExtension* tessvik_extension_new(TessvikInvalidateFunc invalidate) {
  return guarded([&]() -> TessvikExtension* { return new TessvikExtension(invalidate); });
}

void tessvik_extension_free(TessvikExtension* extension) {
  guarded([&] { delete extension; });
}

char* tessvik_extension_emblem_for(TessvikExtension* extension, const char* path,
                                   int is_directory) {
  if (extension == nullptr || path == nullptr) return nullptr;
  return guarded([&]() -> char* {
    std::optional<std::string> emblem = extension->extension.emblemFor(path, is_directory != 0);
    return emblem ? g_strdup(emblem->c_str()) : nullptr;
  });
}

void tessvik_extension_item_shown(TessvikExtension* extension, const char* path) {
  if (extension == nullptr || path == nullptr) return;
  guarded([&] { extension->extension.itemShown(path); });
}

void tessvik_extension_item_gone(TessvikExtension* extension, const char* path) {
  if (extension == nullptr || path == nullptr) return;
  guarded([&] { extension->extension.itemGone(path); });
}

void tessvik_extension_menu_for_items(TessvikExtension* extension, const char* const* paths,
                                      size_t count, TessvikAddMenuItemFunc add, void* user_data) {
  if (extension == nullptr || add == nullptr || (paths == nullptr && count > 0)) return;
  guarded([&] {
    const std::vector<const char*> selected(paths, paths + count);
    for (const tessvik::FileManagerMenuItem& item : extension->extension.menuForItems(selected)) {
      add(user_data, item.name.c_str(), item.label.c_str(),
          item.icon ? item.icon->c_str() : nullptr);
    }
  });
}

void tessvik_extension_activate(TessvikExtension* extension, const char* name,
                                const char* const* paths, const int* is_directory, size_t count) {
  if (extension == nullptr || name == nullptr) return;
  guarded([&] {
    std::vector<tessvik::FileUrl> selection;
    for (size_t i = 0; i < count; ++i) {
      if (paths == nullptr || paths[i] == nullptr) continue;
      selection.push_back(
          tessvik::FileUrl::fromPath(paths[i], is_directory != nullptr && is_directory[i] != 0));
    }
    extension->extension.activate(name, std::move(selection));
  });
}

}  // extern "C"
