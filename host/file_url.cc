#include "host/file_url.h"

#include <vector>

namespace tessvik {
namespace {

std::string withoutTrailingSlashes(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  return std::string(path);
}

// No empty, "." or ".." segment, so standardisation would change nothing.
bool isStandard(std::string_view path) {
  if (path.empty() || path.front() != '/') return false;
  if (path == "/") return true;
  std::size_t start = 1;
  while (start <= path.size()) {
    std::size_t slash = path.find('/', start);
    if (slash == std::string_view::npos) slash = path.size();
    std::string_view segment = path.substr(start, slash - start);
    if (segment.empty() || segment == "." || segment == "..") return false;
    start = slash + 1;
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
  if (relativePath.empty()) return *this;
  bool isDirectory = relativePath.back() == '/';
  std::string joined = path_;
  // A relative root (no path at all) stays relative.
  if (!joined.empty() && joined.back() != '/') joined += '/';
  joined += relativePath;
  return FileUrl(withoutTrailingSlashes(joined), isDirectory);
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
