// File URLs as the extension uses them: made from a path, joined with a
// relative path, standardised, compared, and turned back into a path.
#pragma once

#include <compare>
#include <cstddef>
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
  // The URLs of items under one base, made one after another (below).
  class Joiner;

  // The same path, marked as a folder.
  FileUrl asDirectory() const { return FileUrl(path_, true); }

  // "." segments removed, ".." segments resolved (never above "/"), runs of
  // "/" folded into one. No link is resolved: the file system is not touched.
  FileUrl standardized() const;

  // The path of standardized(), without allocating when the path is already
  // standard (the common case); otherwise built in `scratch`.
  std::string_view standardizedPath(std::string& scratch) const;

  friend bool operator==(const FileUrl&, const FileUrl&) = default;
  // Declared as strong_ordering, not auto, so that the path is ordered with
  // std::string's < where its <=> is missing (libc++ before 16: Xcode 13
  // and 14).
  friend std::strong_ordering operator<=>(const FileUrl&, const FileUrl&) = default;

 private:
  FileUrl(std::string path, bool isDirectory) : path_(std::move(path)), isDirectory_(isDirectory) {}
  std::string path_;
  bool isDirectory_ = false;
};

// The URLs of items under one base, made one after another in the same
// memory: the base's path is written once, and each item rewrites only
// what follows it. A first load pushes a badge for each of up to a million
// items. Holds a reference to the base, which must outlive it.
class FileUrl::Joiner {
 public:
  explicit Joiner(const FileUrl& base) : base_(base) {}
  // base.appending(relativePath), valid until the next call.
  const FileUrl& join(std::string_view relativePath);

 private:
  const FileUrl& base_;
  FileUrl url_;
  std::size_t prefix_ = 0;  // bytes of url_.path_ that are the base's, and its "/"
  bool started_ = false;
};

}  // namespace tessvik
