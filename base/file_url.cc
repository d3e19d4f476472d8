#include "base/file_url.h"

#include <cstdint>
#include <vector>

#include "base/bytes.h"

namespace tessvik {
namespace {

std::string withoutTrailingSlashes(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  return std::string(path);
}

// Whether the segment that starts at `at` (just after a "/") is empty, "." or
// "..".
bool isSpecialSegment(std::string_view path, std::size_t at) {
  const std::string_view rest = path.substr(at);
  if (rest.empty() || rest[0] == '/') return true;
  if (rest[0] != '.') return false;
  if (rest.size() == 1 || rest[1] == '/') return true;
  return rest[1] == '.' && (rest.size() == 2 || rest[2] == '/');
}

// The top bit of each byte of `word` that equals `c` is set; so may be the
// top bit of a byte just above a match (borrows): a filter, not an answer.
std::uint64_t bytesMaybeEqual(std::uint64_t word, unsigned char c) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  const std::uint64_t diff = word ^ (kOnes * c);
  return (diff - kOnes) & ~diff & (kOnes * 0x80);
}

// No empty, "." or ".." segment, so standardisation would change nothing.
// Every badge request asks this of the item and of each root: eight bytes
// at a time, a "/" followed by "/" or "." is looked for, and only there are
// the bytes read one by one (a hidden ".name" is standard).
bool isStandard(std::string_view path) {
  const std::size_t n = path.size();
  if (n == 0 || path[0] != '/') return false;
  if (n == 1) return true;
  if (path[n - 1] == '/') return false;
  const char* p = path.data();
  std::size_t i = 0;
  for (; i + 9 <= n; i += 8) {
    const std::uint64_t here = bytes::load8(p + i);
    const std::uint64_t next = bytes::load8(p + i + 1);
    if ((bytesMaybeEqual(here, '/') & (bytesMaybeEqual(next, '/') | bytesMaybeEqual(next, '.'))) ==
        0) {
      continue;
    }
    for (std::size_t j = i; j < i + 8; ++j) {
      if (p[j] == '/' && isSpecialSegment(path, j + 1)) return false;
    }
  }
  for (; i < n; ++i) {
    if (p[i] == '/' && isSpecialSegment(path, i + 1)) return false;
  }
  return true;
}

}  // namespace

std::string_view FileUrl::standardizedPath(std::string& scratch) const {
  if (isStandard(path_)) return path_;
  scratch = standardized().path();
  return scratch;
}

FileUrl FileUrl::fromPath(std::string_view path, bool isDirectory) {
  return FileUrl(withoutTrailingSlashes(path), isDirectory);
}

FileUrl FileUrl::appending(std::string_view relativePath) const {
  return Joiner(*this).join(relativePath);
}

const FileUrl& FileUrl::Joiner::join(std::string_view relativePath) {
  if (relativePath.empty()) return base_;
  // Trailing slashes of a relative path made only of slashes eat into the
  // base: it is then written again.
  if (started_ && url_.path_.size() >= prefix_) {
    url_.path_.resize(prefix_);
  } else {
    url_.path_.assign(base_.path_);
    if (!url_.path_.empty() && url_.path_.back() != '/') url_.path_ += '/';
    prefix_ = url_.path_.size();
    started_ = true;
  }
  url_.isDirectory_ = relativePath.back() == '/';
  url_.path_ += relativePath;
  while (url_.path_.size() > 1 && url_.path_.back() == '/') url_.path_.pop_back();
  return url_;
}

FileUrl FileUrl::standardized() const {
  const bool absolute = !path_.empty() && path_.front() == '/';
  std::vector<std::string_view> kept;
  std::string_view rest = path_;
  while (!rest.empty()) {
    size_t slash = rest.find('/');
    std::string_view segment = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    if (segment.empty() || segment == ".") continue;
    if (segment == "..") {
      if (!kept.empty() && kept.back() != "..") {
        kept.pop_back();
      } else if (!absolute) {
        kept.push_back(segment);  // a relative path may climb; "/" may not
      }
      continue;
    }
    kept.push_back(segment);
  }
  if (kept.empty()) return FileUrl(std::string(absolute ? "/" : "."), isDirectory_);
  std::string out;
  for (std::string_view segment : kept) {
    if (absolute || !out.empty()) out += '/';
    out += segment;
  }
  return FileUrl(std::move(out), isDirectory_);
}

}  // namespace tessvik
