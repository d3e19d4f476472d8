#include "kit/fake/coarse_file_system.h"

#include <cerrno>
#include <thread>

namespace tessvik::kit {

constexpr std::int64_t kBillion = 1'000'000'000;

class CoarseFile final : public WritableFile {
 public:
  CoarseFile(CoarseFileSystem& files, std::string path) : files_(files), path_(std::move(path)) {}
  Result<void> write(std::string_view bytes) override {
    std::lock_guard<std::mutex> guard(files_.mutex_);
    entry().content += bytes;
    entry().modified = files_.kept(files_.clock);
    return files_.fault("write", path_);
  }
  Result<void> sync() override { return files_.fault("sync", path_); }
  Result<FileTime> modificationTime() override {
    std::lock_guard<std::mutex> guard(files_.mutex_);
    return entry().modified;
  }
  Result<void> setModificationTime(FileTime time) override {
    if (Result<void> failed = files_.fault("setModificationTime", path_); !failed) return failed;
    std::lock_guard<std::mutex> guard(files_.mutex_);
    entry().modified = files_.kept(time);
    return {};
  }
  Result<void> close() override { return files_.fault("close", path_); }
  Result<std::string> readBack() override {
    std::lock_guard<std::mutex> guard(files_.mutex_);
    return entry().content;
  }

 private:
  CoarseFileSystem::Entry& entry() { return files_.entries.at(path_); }
  CoarseFileSystem& files_;
  std::string path_;
};

struct CoarseLock final : public FileLock {
  explicit CoarseLock(std::mutex& mutex) : held(mutex) {}
  std::unique_lock<std::mutex> held;
};

FileTime CoarseFileSystem::kept(FileTime t) const {
  const std::int64_t ns = t.seconds * kBillion + t.nanoseconds;
  const std::int64_t rounded = ns - ns % granularity_;
  return FileTime{rounded / kBillion, rounded % kBillion};
}

Result<void> CoarseFileSystem::fault(const char* operation, const std::string& path) const {
  if (failing != operation) return {};
  return errorFromErrno(EIO, operation, path);
}

Result<std::unique_ptr<WritableFile>> CoarseFileSystem::createNew(const std::string& path) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (entries.contains(path)) return errorFromErrno(EEXIST, "open", path);
  entries[path] = Entry{"", kept(clock)};
  return std::unique_ptr<WritableFile>(std::make_unique<CoarseFile>(*this, path));
}

Result<std::optional<FileTime>> CoarseFileSystem::modificationTime(const std::string& path) {
  std::optional<FileTime> modified;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = entries.find(path);
    if (it != entries.end()) modified = it->second.modified;
  }
  // Another writer's turn, while this one holds a date that may be about to
  // change.
  std::this_thread::yield();
  return modified;
}

Result<void> CoarseFileSystem::rename(const std::string& from, const std::string& to) {
  if (Result<void> failed = fault("rename", to); !failed) return failed;
  std::lock_guard<std::mutex> guard(mutex_);
  entries[to] = entries.at(from);
  entries.erase(from);
  renamed.emplace_back(to, entries[to]);
  return {};
}

Result<void> CoarseFileSystem::remove(const std::string& path) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (entries.erase(path) == 0) return errorFromErrno(ENOENT, "unlink", path);
  return {};
}

Result<void> CoarseFileSystem::syncFolder(const std::string&) {
  return {};
}

Result<std::unique_ptr<FileLock>> CoarseFileSystem::lock(const std::string& path) {
  std::mutex* mutex;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    mutex = &locks_[path];
  }
  return std::unique_ptr<FileLock>(std::make_unique<CoarseLock>(*mutex));
}

FileTime CoarseFileSystem::now() {
  std::lock_guard<std::mutex> guard(mutex_);
  return clock;
}

void CoarseFileSystem::sleepUntil(FileTime time) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (clock < time) clock = time;
}

}  // namespace tessvik::kit
