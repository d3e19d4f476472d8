#include "bridges/syncthing/bridge.h"

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "kit/badge_file_writer.h"

namespace tessvik::syncthing {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::seconds;

constexpr std::string_view kFilePrefix = "badges-syncthing-";
// Short requests; a folder's index of a million items still comes in time.
constexpr seconds kRequestTimeout{60};

// Every page of a paged list. Syncthing makes room for a whole page before
// it fills it: asking for everything in one page of a billion runs it out of
// memory.
Result<std::vector<std::string>> pages(
    RestClient& rest, const std::string& request,
    Result<std::vector<std::string>> (*decode)(std::string_view)) {
  constexpr std::size_t kPerPage = 10000;
  std::vector<std::string> all;
  for (std::size_t page = 1;; ++page) {
    Result<std::string> body =
        rest.get(request + "&perpage=" + std::to_string(kPerPage) + "&page=" + std::to_string(page),
                 kRequestTimeout);
    if (!body) return body.error();
    Result<std::vector<std::string>> items = decode(body.value());
    if (!items) return items.error();
    std::size_t count = items.value().size();
    // A full page that starts as the last one did: something between us
    // and Syncthing ignores paging; what came is all there is.
    if (page > 1 && count > 0 && items.value().front() == all[all.size() - kPerPage]) return all;
    for (std::string& item : items.value()) all.push_back(std::move(item));
    if (count < kPerPage) return all;
  }
}

// The names in `folder`; none when it cannot be listed. Never throws, as
// a range-for over a directory_iterator may.
std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error))
    names.push_back(it->path().filename().string());
  return names;
}

}  // namespace

std::string badgeFileName(std::string_view folderId) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string name(kFilePrefix);
  for (char c : folderId) {
    auto byte = static_cast<unsigned char>(c);
    bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                 (byte >= '0' && byte <= '9') || c == '-' || c == '_' || c == '.';
    if (plain) {
      name += c;
    } else {
      name += '%';
      name += kHex[byte >> 4];
      name += kHex[byte & 15];
    }
  }
  return name + ".json";
}

Bridge::Bridge(RestClient& rest, Logger& log, BridgeSettings settings)
    : rest_(rest), log_(log), settings_(std::move(settings)) {}

std::optional<std::string> Bridge::rootOf(const FolderConfig& config) const {
  std::string root = config.path;
  if (root == "~" || root.starts_with("~/")) root.replace(0, 1, settings_.home);
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  if (root.empty() || root.front() != '/') return std::nullopt;
  return root;
}

Result<std::string> Bridge::askStartTime() {
  Result<std::string> status = rest_.get("/rest/system/status", kRequestTimeout);
  if (!status) return status.error();
  return decodeStartTime(status.value());
}

// Subscribes first: Syncthing keeps the events of a subscription from its
// first request on, so what happens while the folders are read is not lost.
Result<void> Bridge::connect() {
  std::string subscribe =
      "/rest/events?events=" + std::string(kSubscribedEvents) + "&since=0&timeout=0";
  Result<std::string> body = rest_.get(subscribe, kRequestTimeout);
  if (!body) return body.error();
  Result<std::vector<Event>> events = decodeEvents(body.value());
  if (!events) return events.error();
  lastEventId_ = events.value().empty() ? 0 : events.value().back().id;
  Result<std::string> startTime = askStartTime();
  if (!startTime) return startTime.error();
  startTime_ = std::move(startTime.value());
  // Pulls started while we were away may have finished unseen.
  for (auto& [id, folder] : folders_) {
    folder.dirty = {true, true, true};
    folder.facts.started.clear();
  }
  if (Result<void> loaded = loadFolders(); !loaded) return loaded;
  // Files of folders that are gone, left by a bridge that did not stop.
  std::error_code ignored;
  for (const std::string& name : namesIn(settings_.stateFolder)) {
    if (!name.starts_with(kFilePrefix) || !name.ends_with(".json")) continue;
    bool ours = false;
    for (const auto& [id, folder] : folders_) ours = ours || badgeFileName(id) == name;
    if (!ours)
      std::filesystem::remove(std::filesystem::path(settings_.stateFolder) / name, ignored);
  }
  connected_ = true;
  filesOnDisk_ = true;
  log_.log(LogLevel::kDefault, "Syncthing joint à %{public}s : %ld dossier(s) suivi(s)",
           {rest_.endpoint().baseUrl, static_cast<long>(folders_.size())});
  return {};
}

// A folder removed from Syncthing or paused loses its file: nobody keeps
// its badges true any more.
Result<void> Bridge::loadFolders() {
  Result<std::string> body = rest_.get("/rest/config/folders", kRequestTimeout);
  if (!body) return body.error();
  Result<std::vector<FolderConfig>> configs = decodeFolders(body.value());
  if (!configs) return configs.error();
  std::map<std::string, Folder> kept;
  for (FolderConfig& config : configs.value()) {
    if (config.paused) continue;
    std::optional<std::string> root = rootOf(config);
    if (!root) {
      log_.log(LogLevel::kError,
               "dossier %{public}s ignoré : son chemin « %{public}s » n'est pas absolu",
               {config.id, config.path});
      continue;
    }
    auto found = folders_.find(config.id);
    Folder folder;
    if (found != folders_.end() && found->second.root == *root)
      folder = std::move(found->second);
    else
      folder.dirty = {true, true, true};
    folder.config = std::move(config);
    folder.root = std::move(*root);
    std::string id = folder.config.id;
    kept.emplace(std::move(id), std::move(folder));
  }
  for (const auto& [id, folder] : folders_) {
    if (kept.count(id)) continue;
    removeFile(id);
    log_.log(LogLevel::kDefault, "dossier %{public}s retiré ou en pause : ses badges sont retirés",
             {id});
  }
  folders_ = std::move(kept);
  foldersChanged_ = false;
  return {};
}

Result<void> Bridge::refresh(Folder& folder) {
  std::string query = "?folder=" + escapeQueryValue(folder.config.id);
  if (folder.dirty.index) {
    Result<std::string> body = rest_.get("/rest/db/browse" + query, kRequestTimeout);
    if (!body) return body.error();
    Result<std::vector<IndexEntry>> index = decodeBrowse(body.value());
    if (!index) return index.error();
    folder.facts.index = std::move(index.value());
  }
  if (folder.dirty.needs) {
    Result<std::vector<std::string>> needed = pages(rest_, "/rest/db/need" + query, &decodeNeed);
    if (!needed) return needed.error();
    Result<std::vector<std::string>> failed =
        pages(rest_, "/rest/folder/errors" + query, &decodeFolderErrors);
    if (!failed) return failed.error();
    folder.facts.needed = std::move(needed.value());
    folder.facts.errors = std::move(failed.value());
  }
  folder.dirty = {};
  FolderPicture picture(folder.facts);
  if (std::uint64_t hash = picture.hash(); folder.written != hash) write(folder, picture, hash);
  return {};
}

void Bridge::write(Folder& folder, const FolderPicture& picture, std::uint64_t hash) {
  std::string name = badgeFileName(folder.config.id);
  Result<kit::BadgeFileWriter> writer =
      kit::BadgeFileWriter::begin(settings_.stateFolder, name, folder.root);
  long skipped = 0;
  if (writer) {
    for (const auto& [path, status] : picture.items()) {
      if (!writer.value().add(path, statusName(status))) ++skipped;
    }
  }
  Result<FileTime> committed = writer ? writer.value().commit() : Result<FileTime>(writer.error());
  if (!committed) {
    // Tried again at the next write's time; said once.
    if (committed.error().description != folder.writeFailure)
      log_.log(LogLevel::kError, "badges du dossier %{public}s non écrits : %{public}s",
               {folder.config.id, committed.error().description});
    folder.writeFailure = committed.error().description;
    folder.dirty.picture = true;
    return;
  }
  folder.writeFailure.clear();
  folder.written = hash;
  if (skipped > 0)
    log_.log(LogLevel::kError,
             "dossier %{public}s : %ld élément(s) au nom illisible laissés sans badge",
             {folder.config.id, skipped});
  log_.log(LogLevel::kDefault, "dossier %{public}s : %ld élément(s) écrits dans %{public}s",
           {folder.config.id, static_cast<long>(picture.items().size()), name});
}

void Bridge::removeFile(const std::string& folderId) {
  std::error_code ignored;
  std::filesystem::remove(std::filesystem::path(settings_.stateFolder) / badgeFileName(folderId),
                          ignored);
}

void Bridge::removeAllFiles() {
  std::error_code ignored;
  for (const std::string& entry : namesIn(settings_.stateFolder)) {
    // The writer's lock files too (".badges-syncthing-….json.lock"): this
    // bridge is the only writer of its files.
    std::string_view name = entry;
    if (name.starts_with(".")) name.remove_prefix(1);
    if (name.ends_with(".lock")) name.remove_suffix(5);
    if (name.starts_with(kFilePrefix) && name.ends_with(".json"))
      std::filesystem::remove(std::filesystem::path(settings_.stateFolder) / entry, ignored);
  }
  for (auto& [id, folder] : folders_) folder.written.reset();
}

Result<void> Bridge::pollEvents() {
  bool pending = false;
  for (const auto& [id, folder] : folders_) pending = pending || folder.dirty.any();
  seconds wait = pending ? seconds(1) : settings_.longPoll;
  std::string request = "/rest/events?events=" + std::string(kSubscribedEvents) +
                        "&since=" + std::to_string(lastEventId_) +
                        "&timeout=" + std::to_string(wait.count());
  Result<std::string> body = rest_.get(request, wait + kRequestTimeout);
  if (!body) return body.error();
  Result<std::vector<Event>> events = decodeEvents(body.value());
  if (!events) return events.error();
  if (events.value().empty() && !pending) {
    // A Syncthing that restarted between two requests numbers its events
    // from 1 again: we would wait for numbers it reaches late or never.
    Result<std::string> startTime = askStartTime();
    if (!startTime) return startTime.error();
    if (startTime.value() != startTime_) connected_ = false;
    return {};
  }
  // Events dropped (we were slower than Syncthing keeps them): read all again.
  if (!events.value().empty() && events.value().front().id > lastEventId_ + 1) {
    for (auto& [id, folder] : folders_) {
      folder.dirty = {true, true, true};
      folder.facts.started.clear();  // their ends may be among the dropped
    }
  }
  for (const Event& event : events.value()) {
    take(event);
    lastEventId_ = std::max(lastEventId_, event.id);
  }
  return {};
}

void Bridge::take(const Event& event) {
  if (event.kind == Event::Kind::kConfigChanged) {
    foldersChanged_ = true;
    return;
  }
  auto found = folders_.find(event.folder);
  if (found == folders_.end()) return;
  Folder& folder = found->second;
  switch (event.kind) {
    case Event::Kind::kItemStarted:
      folder.facts.started.insert(event.item);
      folder.dirty.picture = true;
      break;
    case Event::Kind::kItemFinished:
      folder.facts.started.erase(event.item);
      folder.dirty.needs = true;
      break;
    case Event::Kind::kFolderErrors:
      folder.facts.errors = event.errorPaths;
      folder.dirty.picture = true;
      break;
    case Event::Kind::kIndexUpdated:
      folder.dirty.index = folder.dirty.needs = true;
      break;
    case Event::Kind::kFolderSummary:
      folder.dirty.needs = true;
      break;
    default:
      break;
  }
}

// Logs a failure once until it changes or goes; says whether the turn
// failed. Syncthing out of reach for longer than the grace: the files go.
bool Bridge::failed(const Error& error) {
  connected_ = false;
  if (error.code == ECANCELED) return false;
  auto now = Clock::now();
  if (error.code == ECONNREFUSED || error.code == ECONNRESET) {
    if (!unreachableSince_) unreachableSince_ = now;
    if (now - *unreachableSince_ >= settings_.unreachableGrace && filesOnDisk_) {
      filesOnDisk_ = false;
      removeAllFiles();
      folders_.clear();
      log_.log(LogLevel::kError, "Syncthing reste injoignable : badges retirés jusqu'à son retour",
               {});
    }
  }
  if (error.description != lastFailure_) {
    lastFailure_ = error.description;
    log_.log(LogLevel::kError, "Syncthing (%{public}s) : %{public}s",
             {rest_.endpoint().baseUrl, error.description});
  }
  return false;
}

bool Bridge::turn() {
  if (!connected_) {
    if (Result<void> connected = connect(); !connected) return failed(connected.error());
    unreachableSince_.reset();
    lastFailure_.clear();
  }
  if (foldersChanged_)
    if (Result<void> loaded = loadFolders(); !loaded) return failed(loaded.error());
  auto now = Clock::now();
  for (auto& [id, folder] : folders_) {
    if (!folder.dirty.any() || now < folder.nextWrite) continue;
    if (Result<void> refreshed = refresh(folder); !refreshed) return failed(refreshed.error());
    // Reading a large folder costs Syncthing too: never more than a fifth
    // of its time, whatever the event rate.
    auto spent = Clock::now() - now;
    folder.nextWrite = now + std::max<Clock::duration>(settings_.writeInterval, 5 * spent);
  }
  if (Result<void> polled = pollEvents(); !polled) return failed(polled.error());
  return true;
}

void Bridge::run(const std::atomic<bool>& stop) {
  seconds backOff{1};
  while (!stop) {
    if (turn()) {
      backOff = seconds(1);
      continue;
    }
    for (auto waited = seconds(0); waited < backOff && !stop; ++waited)
      std::this_thread::sleep_for(seconds(1));
    // Short enough that files of a Syncthing gone go soon after the grace.
    backOff = std::min(backOff * 2, seconds(5));
  }
  removeAllFiles();
  log_.log(LogLevel::kDefault, "pont arrêté : badges retirés", {});
}

}  // namespace tessvik::syncthing
