#include "kit/posix_writable_file_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace tessvik::kit {
namespace {

FileTime modificationOf(const struct stat& st) {
#if defined(__APPLE__)
  return FileTime{st.st_mtimespec.tv_sec, st.st_mtimespec.tv_nsec};
#else
  return FileTime{st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
#endif
}

class PosixWritableFile final : public WritableFile {
 public:
  PosixWritableFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~PosixWritableFile() override {
    if (fd_ >= 0) ::close(fd_);
  }

  Result<void> write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
      if (n < 0) {
        if (errno == EINTR) continue;
        return errorFromErrno(errno, "write", path_);
      }
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
  }

  Result<void> sync() override {
#if defined(__APPLE__)
    // On a Mac, fsync() leaves the bytes in the drive's cache; F_FULLFSYNC
    // flushes them, on the file systems that support it.
    if (::fcntl(fd_, F_FULLFSYNC) == 0) return {};
#endif
    if (::fsync(fd_) != 0) return errorFromErrno(errno, "fsync", path_);
    return {};
  }

  Result<FileTime> modificationTime() override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return errorFromErrno(errno, "fstat", path_);
    return modificationOf(st);
  }

  Result<void> setModificationTime(FileTime time) override {
    // The access date is left as it is.
    const struct timespec times[2] = {{0, UTIME_OMIT}, {time.seconds, time.nanoseconds}};
    if (::futimens(fd_, times) != 0) return errorFromErrno(errno, "futimens", path_);
    return {};
  }

  Result<std::string> readBack() override {
    std::string bytes;
    char chunk[1 << 16];
    for (;;) {
      const ssize_t n = ::pread(fd_, chunk, sizeof chunk, static_cast<off_t>(bytes.size()));
      if (n < 0) {
        if (errno == EINTR) continue;
        return errorFromErrno(errno, "read", path_);
      }
      if (n == 0) return bytes;
      bytes.append(chunk, static_cast<std::size_t>(n));
    }
  }

  Result<void> close() override {
    const int fd = fd_;
    fd_ = -1;
    // Linux closes the descriptor even when close() fails: never retry.
    if (::close(fd) != 0 && errno != EINTR) return errorFromErrno(errno, "close", path_);
    return {};
  }

 private:
  int fd_;
  std::string path_;
};

class PosixFileLock final : public FileLock {
 public:
  explicit PosixFileLock(int fd) : fd_(fd) {}
  // Closing the descriptor lets the lock go.
  ~PosixFileLock() override { ::close(fd_); }

 private:
  int fd_;
};

}  // namespace

Result<std::unique_ptr<WritableFile>> PosixWritableFileSystem::createNew(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0644);
  if (fd < 0) return errorFromErrno(errno, "open", path);
  return std::unique_ptr<WritableFile>(std::make_unique<PosixWritableFile>(fd, path));
}

Result<std::optional<FileTime>> PosixWritableFileSystem::modificationTime(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0) return std::optional<FileTime>(modificationOf(st));
  if (errno == ENOENT) return std::optional<FileTime>();
  return errorFromErrno(errno, "lstat", path);
}

Result<void> PosixWritableFileSystem::rename(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return errorFromErrno(errno, "rename", to);
  return {};
}

Result<void> PosixWritableFileSystem::remove(const std::string& path) {
  if (::unlink(path.c_str()) != 0) return errorFromErrno(errno, "unlink", path);
  return {};
}

Result<void> PosixWritableFileSystem::syncFolder(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errorFromErrno(errno, "open", path);
  const int synced = ::fsync(fd);
  const int err = errno;
  ::close(fd);
  // Some file systems cannot flush a folder (EINVAL): the rename is then as
  // safe as that file system makes it.
  if (synced != 0 && err != EINVAL) return errorFromErrno(err, "fsync", path);
  return {};
}

Result<std::unique_ptr<FileLock>> PosixWritableFileSystem::lock(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0644);
  if (fd < 0) return errorFromErrno(errno, "open", path);
  // flock(2), not fcntl(2): its lock belongs to the open file, so that two
  // threads of one process exclude each other as two processes do.
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    const int err = errno;
    ::close(fd);
    return errorFromErrno(err, "flock", path);
  }
  return std::unique_ptr<FileLock>(std::make_unique<PosixFileLock>(fd));
}

FileTime PosixWritableFileSystem::now() {
  struct timespec t;
  ::clock_gettime(CLOCK_REALTIME, &t);
  return FileTime{t.tv_sec, t.tv_nsec};
}

void PosixWritableFileSystem::sleepUntil(FileTime time) {
  // nanosleep for what is left, again after a signal or a clock step (macOS
  // has no clock_nanosleep to wait for a date itself).
  for (FileTime t = now(); t < time; t = now()) {
    std::int64_t seconds = time.seconds - t.seconds;
    std::int64_t nanoseconds = time.nanoseconds - t.nanoseconds;
    if (nanoseconds < 0) {
      nanoseconds += 1'000'000'000;
      --seconds;
    }
    const struct timespec left = {static_cast<time_t>(seconds), static_cast<long>(nanoseconds)};
    ::nanosleep(&left, nullptr);
  }
}

}  // namespace tessvik::kit
