// Keeps one badge state file per Syncthing folder true, for as long as it
// runs: reads each folder's index, what it still needs and its errors, then
// follows Syncthing's event stream and rewrites a folder's file when its
// badges change, at most once per write interval.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "bridges/syncthing/folder_picture.h"
#include "bridges/syncthing/rest_client.h"
#include "bridges/syncthing/syncthing_messages.h"
#include "host/logger.h"

namespace tessvik::syncthing {

struct BridgeSettings {
  // Where the badge state files go; must exist.
  std::string stateFolder;
  // The user's home, for folder paths that Syncthing keeps as "~/…".
  std::string home;
  // The least time between two writes of one folder's file.
  std::chrono::milliseconds writeInterval{1000};
  // How long one request for events waits when nothing happens.
  std::chrono::seconds longPoll{60};
  // How long Syncthing may stay out of reach before the files are removed
  // (a restart keeps them).
  std::chrono::seconds unreachableGrace{10};
};

// The file name of the folder `folderId`: "badges-syncthing-<id>.json", with
// every byte of the id but letters, digits, "-", "_" and "." written %XX.
std::string badgeFileName(std::string_view folderId);

// Not thread-safe: one thread turns it.
class Bridge {
 public:
  // `rest` and `log` must outlive the bridge.
  Bridge(RestClient& rest, Logger& log, BridgeSettings settings);

  // One turn: connects to Syncthing when not connected (subscribing to its
  // events first, then reading every folder, so that nothing falls
  // between), writes each folder whose badges are due, then waits for
  // events (up to the long poll; one second while a write is pending) and
  // takes them in. Returns false when Syncthing could not be asked or
  // answered garbage; the caller waits before the next turn. The files
  // written stay as they were then, unless Syncthing has been out of reach
  // for longer than the grace, when they are removed.
  bool turn();

  // Turns until `stop`, waiting after a failed turn (1 s, doubled each
  // time, at most 5 s); then removes every file it wrote.
  void run(const std::atomic<bool>& stop);

  // Removes every "badges-syncthing-*.json" in the state folder, and the
  // lock files that the writer left beside them.
  void removeAllFiles();

 private:
  struct Dirty {
    bool index = false;    // browse again
    bool needs = false;    // need and errors again
    bool picture = false;  // work the badges out again
    bool any() const { return index || needs || picture; }
  };
  struct Folder {
    FolderConfig config;
    std::string root;
    FolderFacts facts;
    Dirty dirty{true, true, true};
    std::chrono::steady_clock::time_point nextWrite{};
    std::optional<std::uint64_t> written;  // the hash of the picture on disk
    std::string writeFailure;              // the last write's, until one works
  };

  Result<void> connect();
  Result<std::string> askStartTime();
  Result<void> loadFolders();
  Result<void> refresh(Folder& folder);
  void write(Folder& folder, const FolderPicture& picture, std::uint64_t hash);
  void removeFile(const std::string& folderId);
  Result<void> pollEvents();
  void take(const Event& event);
  bool failed(const Error& error);
  std::optional<std::string> rootOf(const FolderConfig& config) const;

  RestClient& rest_;
  Logger& log_;
  BridgeSettings settings_;
  bool connected_ = false;
  bool foldersChanged_ = false;
  std::uint64_t lastEventId_ = 0;
  std::string startTime_;  // Syncthing's, to tell a restart
  std::map<std::string, Folder> folders_;
  std::optional<std::chrono::steady_clock::time_point> unreachableSince_;
  // False once the files are removed while Syncthing is out of reach (some
  // may be left by a bridge that did not stop).
  bool filesOnDisk_ = true;
  std::string lastFailure_;
};

}  // namespace tessvik::syncthing
