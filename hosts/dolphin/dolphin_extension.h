// The extension as Dolphin hosts it: the file-manager host's logic (emblems,
// links, menu, share) over the core, made of the real file system and user
// database, Qt's run loop and log, and KDE's application launcher; with the
// bookkeeping of the items Dolphin asked about, which Dolphin never says it
// let go of.
#pragma once

#include <QStringList>
#include <QUrl>
#include <functional>
#include <string>
#include <vector>

#include "extension/real_home.h"
#include "file_manager/file_manager_extension.h"
#include "host/posix/posix_file_system.h"
#include "host/posix/posix_system_memory.h"
#include "host/posix/posix_user_database.h"
#include "host/recently_asked.h"
#include "host/repeat_limited_logger.h"
#include "hosts/dolphin/overlay_refresher.h"
#include "hosts/dolphin/qt_logger.h"
#include "hosts/dolphin/qt_run_loop.h"
#include "hosts/dolphin/qt_workspace.h"

namespace tessvik {

// One menu item as Dolphin shows it.
struct DolphinMenuItem {
  QString name;
  QString label;
  QString icon;  // empty for none
};

// Made once per Dolphin process, on the UI thread, and kept for its life.
// UI thread only. Nothing here throws but std::bad_alloc.
//
// Memory: Dolphin never says it has let go of an item, so the items it asked
// about are held up to a bound, the least recently asked let go first: Dolphin
// asks again and again for the items it shows. About 0.6 KB per item held,
// here and in the file-manager host.
class DolphinExtension {
 public:
  static constexpr std::size_t kMaxItems = 100'000;

  // Called, after a push, for each item Dolphin asked about whose overlays
  // changed; the answer already is the new one.
  using OverlaysChanged = std::function<void(const QUrl& item)>;

  // Starts the extension (first reload, timer); the state folder is the
  // XDG one, under `xdgStateHome` when set.
  DolphinExtension(OverlaysChanged changed, const char* xdgStateHome,
                   std::size_t maxItems = kMaxItems);
  DolphinExtension(const DolphinExtension&) = delete;
  DolphinExtension& operator=(const DolphinExtension&) = delete;

  // The emblem icon names for `item`, answered from memory: none outside a
  // local file, or without a badge. The item is held from then on, until
  // `maxItems` others have been asked about since.
  QStringList overlaysFor(const QUrl& item);

  // The menu items for the selected `items` (see
  // FileManagerExtension::menuForItems), and the one called `name` chosen
  // with them selected, `directories` the ones that are folders.
  std::vector<DolphinMenuItem> menuFor(const QList<QUrl>& items);
  void activate(const QString& name, const QList<QUrl>& items, const QList<QUrl>& directories);

 private:
  PosixFileSystem fileSystem_;
  PosixSystemMemory memory_;
  QtRunLoop runLoop_;
  QtLogger qtLogger_;
  RepeatLimitedLogger logger_{qtLogger_};
  PosixUserDatabase users_;
  RealHome realHome_{users_};
  QtWorkspace workspace_{logger_};
  // Holds `path`, as the most recently asked item.
  void hold(const std::string& path);

  OverlayRefresher refresher_;
  RecentlyAsked asked_;
  FileManagerExtension extension_;  // last: it starts with the services above in place
};

}  // namespace tessvik
