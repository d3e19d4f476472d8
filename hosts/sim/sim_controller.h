// The simulated Finder's shared controller: every call the extension makes
// becomes an event line; the selection is whatever the last `select` request
// set.
#pragma once

#include <optional>
#include <vector>

#include "host/finder_sync_controller.h"
#include "hosts/sim/line_output.h"

namespace tessvik::sim {

// Events written:
//   {"event":"setBadgeImage","identifier":I,"label":L,"image":{...}}
//   {"event":"setBadgeIdentifier","identifier":I,"path":P}
//   {"event":"setDirectoryURLs","paths":[...]}   paths sorted by byte order
// `out` must outlive the controller. Main loop only.
class SimController final : public FinderSyncController {
 public:
  explicit SimController(LineOutput& out) : out_(out) {}

  void setBadgeImage(const SymbolImage& image, std::string_view label,
                     std::string_view identifier) override;
  void setBadgeIdentifier(std::string_view identifier, const FileUrl& url) override;
  void setDirectoryUrls(const std::vector<FileUrl>& urls) override;
  std::optional<std::vector<FileUrl>> selectedItemUrls() override { return selection_; }

  // What selectedItemUrls returns from now on: nothing, or these items.
  void select(std::optional<std::vector<FileUrl>> items) { selection_ = std::move(items); }

 private:
  LineOutput& out_;
  std::optional<std::vector<FileUrl>> selection_;
};

}  // namespace tessvik::sim
