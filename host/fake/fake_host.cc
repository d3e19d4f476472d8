#include "host/fake/fake_host.h"

#include <algorithm>

namespace tessvik {

void RecordingController::setDirectoryUrls(const std::vector<FileUrl>& urls) {
  std::vector<std::string> paths;
  for (const FileUrl& url : urls) paths.push_back(url.path());
  std::sort(paths.begin(), paths.end());
  directorySets.push_back(std::move(paths));
}

std::vector<RecordingController::BadgePush> RecordingController::takePushes() {
  std::vector<BadgePush> out = std::exchange(pushes, {});
  std::sort(out.begin(), out.end());
  return out;
}

std::optional<SymbolImage> FakeSymbolImages::systemSymbol(
    const std::string& name, const std::optional<std::string>& description) {
  if (missing.contains(name)) return std::nullopt;
  return SymbolImage{name, description, std::nullopt};
}

}  // namespace tessvik
