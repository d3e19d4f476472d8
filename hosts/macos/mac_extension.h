// The extension on macOS: the composition root that the principal class
// drives. Objective-C++ only.
#pragma once

#import <FinderSync/FinderSync.h>

#include <memory>
#include <optional>
#include <string>

#include "extension/finder_sync.h"
#include "extension/real_home.h"
#include "host/host.h"
#include "host/log_identity.h"
#include "host/posix/posix_file_system.h"
#include "host/posix/posix_system_memory.h"
#include "hosts/macos/fixed_answers.h"
#include "hosts/macos/mac_finder_sync_controller.h"
#include "hosts/macos/mac_logger.h"
#include "hosts/macos/mac_run_loop.h"
#include "hosts/macos/mac_symbol_images.h"
#include "hosts/macos/mac_user_database.h"
#include "hosts/macos/mac_workspace.h"

NS_ASSUME_NONNULL_BEGIN

namespace tessvik::macos {

// Owns the platform services, the real home and the extension made with
// them, and turns the Finder's Objective-C values into the extension's.
//
// Threading: made, used and destroyed on the main thread, except
// fixedAnswers(), which any thread may read once start() has returned.
// Errors: these calls may throw only what the platform or memory exhaustion
// throws; the principal class calls each of them through guarded().
class MacExtension {
 public:
  // Runs the extension's start sequence (badges, first reload, polling timer).
  MacExtension();
  MacExtension(const MacExtension&) = delete;
  MacExtension& operator=(const MacExtension&) = delete;

  // Answers through the controller, with `url` itself; a URL without a file
  // path gets no answer. Pushes for the item go on to the Finder from now on.
  void requestBadgeIdentifier(NSURL* url);
  // The extension's menu for the Finder's `kind`; nothing for a kind out of
  // the extension's range.
  std::optional<Menu> menu(long kind);
  // Shares the first of `selected`, the items that the Finder reported
  // selected when the share action ran (see holdSelection()).
  void share(NSArray<NSURL*>* _Nullable selected);
  std::string toolbarItemName() const { return extension_.toolbarItemName(); }
  std::string toolbarItemToolTip() const { return extension_.toolbarItemToolTip(); }

  const FixedAnswers& fixedAnswers() const { return fixedAnswers_; }

 private:
  MacFinderSyncController controller_;
  MacSymbolImages images_;
  PosixFileSystem fileSystem_;
  PosixSystemMemory memory_;  // the system allocator returns freed memory by itself
  MacRunLoop runLoop_;
  MacLogger logger_{kExtensionLog};
  MacUserDatabase users_;
  MacWorkspace workspace_;
  RealHome realHome_{users_};
  // The extension: made after every service it uses, destroyed before them.
  FinderSync extension_;
  FixedAnswers fixedAnswers_;
};

}  // namespace tessvik::macos

NS_ASSUME_NONNULL_END
