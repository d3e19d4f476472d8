// File URLs as the extension uses them: made from a path, joined with a
// relative path, standardised, compared, and turned back into a path.
#pragma once

#include <string>
#include <string_view>

namespace tessvik {

// A value. The path is kept as given, less any trailing "/" (the folder flag
// carries that), so "/a/" as a folder and "/a" as a folder are equal, while
// "/a/./" and "/a" are not until standardised.
class FileUrl {
 public:
  FileUrl() = default;
  static FileUrl fromPath(std::string_view path, bool isDirectory);

  // The file-system path: no trailing "/" except for "/" itself.
  const std::string& path() const { return path_; }
  bool isDirectory() const { return isDirectory_; }

  // This URL with `relativePath` appended as path components. An empty
  // relative path gives this URL back.
  FileUrl appending(std::string_view relativePath) const;
  // Makes this URL base.appending(relativePath), reusing its memory: a first
  // load pushes a badge for each of up to a million items.
  void assignAppending(const FileUrl& base, std::string_view relativePath);

  // The same path, marked as a folder.
  FileUrl asDirectory() const { return FileUrl(path_, true); }

  // "." segments removed, ".." segments resolved (never above "/"), runs of
  // "/" folded into one. No link is resolved: the file system is not touched.
  FileUrl standardized() const;

  // The path of standardized(), without allocating when the path is already
  // standard (the common case); otherwise built in `scratch`.
  std::string_view standardizedPath(std::string& scratch) const;

  friend bool operator==(const FileUrl&, const FileUrl&) = default;
  friend auto operator<=>(const FileUrl&, const FileUrl&) = default;

 private:
  FileUrl(std::string path, bool isDirectory) : path_(std::move(path)), isDirectory_(isDirectory) {}
  std::string path_;
  bool isDirectory_ = false;
};

}  // namespace tessvik
