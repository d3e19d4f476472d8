#include "host/posix/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "host/posix/stat_time.h"

namespace tessvik {
namespace {

// Closes a descriptor on every path out.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

Result<std::vector<std::string>> PosixFileSystem::listFolder(const std::string& path) {
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return errorFromErrno(errno, "opendir", path);
  std::vector<std::string> names;
  for (;;) {
    errno = 0;
    const struct dirent* entry = readDir_(dir);
    if (entry == nullptr) break;
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  const int err = errno;
  ::closedir(dir);
  if (err != 0) return errorFromErrno(err, "readdir", path);
  return names;
}

Result<FileTime> PosixFileSystem::modificationTime(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return errorFromErrno(errno, "lstat", path);
  return modificationOf(st);
}

Result<void> PosixFileSystem::readFile(const std::string& path, FlatArray<char>& bytes,
                                       std::size_t spare) {
  // O_NONBLOCK: opening a FIFO with no writer must not wait for one. Whatever
  // is not a regular file is refused before any read.
  Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (fd.get() < 0) return errorFromErrno(errno, "open", path);
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) return errorFromErrno(errno, "fstat", path);
  if (S_ISDIR(st.st_mode)) return errorFromErrno(EISDIR, "read", path);
  if (!S_ISREG(st.st_mode)) return errorFromErrno(kNotRegularFile, "read", path);
  if (static_cast<std::uint64_t>(st.st_size) > kMaxFileSize) {
    return errorFromErrno(EFBIG, "read", path);
  }

  // The writer may grow the file while we read: read to the end, within the
  // bound, with room to see it grow. The buffer is not cleared first: read()
  // writes every byte that counts, and a fresh buffer of tens of megabytes
  // is then written once, not twice.
  try {
    bytes.resizeForOverwrite(static_cast<std::size_t>(st.st_size) + 4096);
    std::size_t size = 0;
    for (;;) {
      if (size == bytes.size()) {
        if (bytes.size() >= kMaxFileSize) return errorFromErrno(EFBIG, "read", path);
        bytes.resizeForOverwrite(bytes.size() * 2);
      }
      const ssize_t n = ::read(fd.get(), bytes.data() + size, bytes.size() - size);
      if (n < 0) {
        if (errno == EINTR) continue;
        return errorFromErrno(errno, "read", path);
      }
      if (n == 0) break;
      size += static_cast<std::size_t>(n);
    }
    bytes.reserve(size + spare);
    bytes.resizeForOverwrite(size);
  } catch (const std::bad_alloc&) {
    return errorFromErrno(ENOMEM, "read", path);
  }
  return {};
}

}  // namespace tessvik
