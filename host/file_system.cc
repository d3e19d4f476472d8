#include "host/file_system.h"

#include <cerrno>
#include <new>

namespace tessvik {

std::optional<Error> FileSystem::readFileInto(const std::string& path, FlatArray<char>& bytes) {
  Result<std::string> read = readFile(path);
  if (!read) return read.error();
  const std::string& content = read.value();
  try {
    bytes.reserve(content.size() + kReadSpare);
  } catch (const std::bad_alloc&) {
    return errorFromErrno(ENOMEM, "read", path);
  }
  bytes.assign(content.data(), content.size());
  return std::nullopt;
}

}  // namespace tessvik
