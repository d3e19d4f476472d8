#include "file_manager/observed_folders.h"

#include <algorithm>
#include <iterator>

#include "text/path_match.h"
#include "text/unicode.h"

namespace tessvik {

std::vector<std::string> ObservedFolders::replace(const std::vector<FileUrl>& urls) {
  std::vector<std::string> folders;
  folders.reserve(urls.size());
  std::string scratch;
  for (const FileUrl& url : urls) {
    const std::string_view path = url.standardizedPath(scratch);
    folders.push_back(text::isAscii(path) ? std::string(path) : text::toNfc(path));
  }
  std::sort(folders.begin(), folders.end());
  folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
  std::vector<std::string> moved;
  std::set_symmetric_difference(folders_.begin(), folders_.end(), folders.begin(), folders.end(),
                                std::back_inserter(moved));
  if (moved.empty()) return moved;
  folders_ = std::move(folders);
  reals_.clear();
  return moved;
}

bool ObservedFolders::contains(std::string_view path) const {
  std::string scratch;
  const FileUrl url = FileUrl::fromPath(path, false);
  const text::ItemPath item(url.standardizedPath(scratch));
  return std::any_of(folders_.begin(), folders_.end(), [&](const std::string& folder) {
    return item.under(text::RootPath(folder)).has_value();
  });
}

bool ObservedFolders::setReal(std::string_view folder, std::string_view real) {
  if (!std::binary_search(folders_.begin(), folders_.end(), folder)) return false;
  std::string scratch;
  const FileUrl url = FileUrl::fromPath(real, true);
  text::RootPath realPath(url.standardizedPath(scratch));
  auto known = std::find_if(reals_.begin(), reals_.end(),
                            [&](const Real& other) { return other.folder == folder; });
  if (known != reals_.end()) {
    known->real = std::move(realPath);
  } else {
    reals_.push_back({std::move(realPath), std::string(folder)});
  }
  return true;
}

std::string_view ObservedFolders::fromReal(std::string_view path, std::string& scratch) const {
  if (reals_.empty()) return path;
  std::string standard;
  const FileUrl url = FileUrl::fromPath(path, false);
  const text::ItemPath item(url.standardizedPath(standard));
  for (const Real& real : reals_) {
    if (std::optional<text::ItemPath::Match> match = item.under(real.real)) {
      scratch = real.folder;
      if (!match->relativePath.empty()) {
        scratch += '/';
        scratch += match->relativePath;
      }
      return scratch;
    }
  }
  return path;
}

}  // namespace tessvik
