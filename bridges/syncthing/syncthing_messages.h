// What the bridge reads from Syncthing's REST API, decoded from its JSON:
// the folders, a folder's index, what it still needs, its pull errors, and
// the events. Each decoder takes one response body and fails, with a French
// description, when it is not what that request answers; it keeps nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"

namespace tessvik::syncthing {

// One folder of Syncthing's configuration (/rest/config/folders).
struct FolderConfig {
  std::string id;
  std::string label;
  std::string path;  // as configured: may begin with "~"
  bool paused = false;
  friend bool operator==(const FolderConfig&, const FolderConfig&) = default;
};
Result<std::vector<FolderConfig>> decodeFolders(std::string_view json);

// One item of the folder's global index (/rest/db/browse), its path
// relative to the folder, components joined with "/".
struct IndexEntry {
  std::string path;
  bool directory = false;
};
// Flattens the tree that browse answers, parents before their children.
Result<std::vector<IndexEntry>> decodeBrowse(std::string_view json);

// The paths of the items the folder still needs (/rest/db/need): in
// progress, queued and the rest.
Result<std::vector<std::string>> decodeNeed(std::string_view json);

// The paths of the items whose last pull failed (/rest/folder/errors).
Result<std::vector<std::string>> decodeFolderErrors(std::string_view json);

// When this Syncthing process started (/rest/system/status): another
// value means Syncthing restarted, and its event numbers with it.
Result<std::string> decodeStartTime(std::string_view json);

// One event of /rest/events, as far as the bridge acts on it.
struct Event {
  enum class Kind {
    kItemStarted,    // `item` is being pulled
    kItemFinished,   // `item` is done, `failed` when with an error
    kFolderErrors,   // `errorPaths` is the folder's whole error list
    kIndexUpdated,   // the index changed (local or remote)
    kFolderSummary,  // what the folder needs may have changed
    kConfigChanged,  // folders may have come, gone, paused or resumed
    kOther,
  };
  std::uint64_t id = 0;
  Kind kind = Kind::kOther;
  std::string folder;
  std::string item;
  bool failed = false;
  std::vector<std::string> errorPaths;
};
Result<std::vector<Event>> decodeEvents(std::string_view json);

// The event types the bridge subscribes to, for /rest/events?events=.
inline constexpr std::string_view kSubscribedEvents =
    "ItemStarted,ItemFinished,FolderErrors,LocalIndexUpdated,RemoteIndexUpdated,"
    "FolderSummary,ConfigSaved,FolderPaused,FolderResumed";

}  // namespace tessvik::syncthing
