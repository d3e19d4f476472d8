// The Finder Sync host's shared controller, as the extension uses it.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "base/file_url.h"
#include "host/symbol_image.h"

namespace tessvik {

// Thread-safety: called from the main loop only.
class FinderSyncController {
 public:
  virtual ~FinderSyncController() = default;

  // Registers `image` and `label` under `identifier`; items given that
  // identifier show that badge.
  virtual void setBadgeImage(const SymbolImage& image, std::string_view label,
                             std::string_view identifier) = 0;

  // The item at `url` shows the badge registered under `identifier`; the
  // empty identifier shows none. An identifier never registered is passed
  // on all the same: what the host shows for it is the host's affair.
  virtual void setBadgeIdentifier(std::string_view identifier, const FileUrl& url) = 0;

  // The folders the host observes (and asks badges for), replacing the last
  // set. `urls` holds no two equal URLs; its order carries no meaning.
  virtual void setDirectoryUrls(const std::vector<FileUrl>& urls) = 0;

  // The items selected now, in the host's order, or nothing.
  virtual std::optional<std::vector<FileUrl>> selectedItemUrls() = 0;
};

}  // namespace tessvik
