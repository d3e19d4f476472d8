#include "host/fake/coarse_file_system.h"

#include <cerrno>

namespace tessvik {
namespace {

constexpr std::int64_t kBillion = 1'000'000'000;

class CoarseFile final : public WritableFile {
 public:
  CoarseFile(CoarseFileSystem& files, std::string path) : files_(files), path_(std::move(path)) {}
  Result<void> write(std::string_view bytes) override {
    entry().content += bytes;
    entry().modified = files_.kept(files_.clock);
    return files_.fault("write", path_);
  }
  Result<void> sync() override { return files_.fault("sync", path_); }
  Result<FileTime> modificationTime() override { return entry().modified; }
  Result<void> setModificationTime(FileTime time) override {
    if (Result<void> failed = files_.fault("setModificationTime", path_); !failed) return failed;
    entry().modified = files_.kept(time);
    return {};
  }
  Result<void> close() override { return files_.fault("close", path_); }

 private:
  CoarseFileSystem::Entry& entry() { return files_.entries.at(path_); }
  CoarseFileSystem& files_;
  std::string path_;
};

}  // namespace

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
  if (entries.contains(path)) return errorFromErrno(EEXIST, "open", path);
  entries[path] = Entry{"", kept(clock)};
  return std::unique_ptr<WritableFile>(std::make_unique<CoarseFile>(*this, path));
}

Result<std::optional<FileTime>> CoarseFileSystem::modificationTime(const std::string& path) {
  auto it = entries.find(path);
  if (it == entries.end()) return std::optional<FileTime>();
  return std::optional<FileTime>(it->second.modified);
}

Result<void> CoarseFileSystem::rename(const std::string& from, const std::string& to) {
  if (Result<void> failed = fault("rename", to); !failed) return failed;
  entries[to] = entries.at(from);
  entries.erase(from);
  return {};
}

Result<void> CoarseFileSystem::remove(const std::string& path) {
  if (entries.erase(path) == 0) return errorFromErrno(ENOENT, "unlink", path);
  return {};
}

Result<void> CoarseFileSystem::syncFolder(const std::string&) {
  return {};
}

}  // namespace tessvik
