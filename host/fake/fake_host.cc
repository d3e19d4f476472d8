#include "host/fake/fake_host.h"

#include <algorithm>

namespace tessvik {

void RecordingController::setBadgeImage(const SymbolImage& image, std::string_view label,
                                        std::string_view identifier) {
  images.push_back({image, std::string(label), std::string(identifier)});
}

void RecordingController::setBadgeIdentifier(std::string_view identifier, const FileUrl& url) {
  pushes.push_back({std::string(identifier), url.path()});
}

void RecordingController::setDirectoryUrls(const std::vector<FileUrl>& urls) {
  std::vector<std::string> paths;
  for (const FileUrl& url : urls) paths.push_back(url.path());
  std::sort(paths.begin(), paths.end());
  directorySets.push_back(std::move(paths));
}

std::vector<RecordingController::BadgePush> RecordingController::takePushes() {
  std::vector<BadgePush> out = std::move(pushes);
  pushes.clear();
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<RecordingLogger::Line> RecordingLogger::takeLines() {
  std::vector<Line> out = std::move(lines);
  lines.clear();
  return out;
}

std::optional<SymbolImage> FakeSymbolImages::systemSymbol(
    const std::string& name, const std::optional<std::string>& description) {
  if (missing.contains(name)) return std::nullopt;
  return SymbolImage{name, description, std::nullopt};
}

std::optional<SymbolImage> FakeSymbolImages::withConfiguration(
    const SymbolImage& image, const SymbolConfiguration& configuration) {
  SymbolImage out = image.configured(configuration);
  return out;
}

void ManualRunLoop::addRepeatingTimer(std::chrono::milliseconds, std::function<void()> tick) {
  timers_.push_back(std::move(tick));
}

void ManualRunLoop::fireTimers() {
  for (const auto& tick : timers_) tick();
}

}  // namespace tessvik
