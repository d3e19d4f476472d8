// Recording fakes of the host's services, for tests.
#pragma once

#include <compare>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/finder_sync_controller.h"
#include "host/logger.h"
#include "host/run_loop.h"
#include "host/symbol_image.h"
#include "host/system_memory.h"
#include "host/user_database.h"
#include "host/workspace.h"

namespace tessvik {

class RecordingController : public FinderSyncController {
 public:
  struct BadgeImage {
    SymbolImage image;
    std::string label;
    std::string identifier;
    friend bool operator==(const BadgeImage&, const BadgeImage&) = default;
  };
  struct BadgePush {
    std::string identifier;
    std::string path;
    friend std::strong_ordering operator<=>(const BadgePush&, const BadgePush&) = default;
    friend void PrintTo(const BadgePush& p, std::ostream* out) {
      *out << "\"" << p.identifier << "\" -> " << p.path;
    }
  };

  void setBadgeImage(const SymbolImage& image, std::string_view label,
                     std::string_view identifier) override {
    images.push_back({image, std::string(label), std::string(identifier)});
  }
  void setBadgeIdentifier(std::string_view identifier, const FileUrl& url) override {
    pushes.push_back({std::string(identifier), url.path()});
  }
  void setDirectoryUrls(const std::vector<FileUrl>& urls) override;
  std::optional<std::vector<FileUrl>> selectedItemUrls() override { return selection; }

  // Pushes since the last call, sorted (their order carries no meaning).
  std::vector<BadgePush> takePushes();

  std::vector<BadgeImage> images;
  std::vector<BadgePush> pushes;
  // Every setDirectoryUrls call, each as sorted paths.
  std::vector<std::vector<std::string>> directorySets;
  std::optional<std::vector<FileUrl>> selection;
};

class RecordingLogger : public Logger {
 public:
  struct Line {
    LogLevel level;
    std::string message;
    friend bool operator==(const Line&, const Line&) = default;
    friend void PrintTo(const Line& line, std::ostream* out) {
      *out << (line.level == LogLevel::kError ? "error: " : "default: ") << line.message;
    }
  };
  bool isEnabled(LogLevel level) const override {
    return level == LogLevel::kError || defaultEnabled;
  }
  void log(LogLevel level, std::string_view format,
           std::initializer_list<LogArgument> args) override {
    lines.push_back({level, formatLogMessage(format, args)});
  }
  std::vector<Line> takeLines() { return std::exchange(lines, {}); }

  bool defaultEnabled = true;
  std::vector<Line> lines;
};

// Knows every symbol except those in `missing`.
class FakeSymbolImages : public SymbolImages {
 public:
  std::optional<SymbolImage> systemSymbol(const std::string& name,
                                          const std::optional<std::string>& description) override;
  std::optional<SymbolImage> withConfiguration(const SymbolImage& image,
                                               const SymbolConfiguration& configuration) override {
    return image.configured(configuration);
  }
  std::set<std::string> missing;
};

// A run loop whose timers fire only when the test says so.
class ManualRunLoop : public RunLoop {
 public:
  void addRepeatingTimer(std::chrono::milliseconds, std::function<void()> tick) override {
    timers_.push_back(std::move(tick));
  }
  // Fires every scheduled timer once, as one tick of the loop.
  void fireTimers() {
    for (const auto& tick : timers_) tick();
  }

 private:
  std::vector<std::function<void()>> timers_;
};

class FakeUserDatabase : public UserDatabase {
 public:
  std::optional<std::string> realUserHomeDirectory() override { return home; }
  std::string processHomeDirectory() override { return "/Users/u/Library/Containers/tessvik/Data"; }
  std::optional<std::string> home = "/Users/u";
};

class RecordingWorkspace : public Workspace {
 public:
  bool openUrl(std::string_view url) override {
    opened.emplace_back(url);
    return true;
  }
  std::vector<std::string> opened;
};

class CountingSystemMemory : public SystemMemory {
 public:
  void returnFreedMemory() override { ++returned; }
  int returned = 0;
};

}  // namespace tessvik
