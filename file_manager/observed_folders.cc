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
  folders_ = std::move(folders);
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

}  // namespace tessvik
