// The folders the extension observes (its roots), as the file manager asks
// about them: is an item inside one, and which items a change of the set
// touches.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/file_url.h"
#include "text/path_match.h"

namespace tessvik {

// Folders are kept standardised and in NFC, and compared under canonical
// equivalence, whole characters. Memory: the folders (a handful).
// Thread-safety: main loop only. Nothing here throws but std::bad_alloc.
class ObservedFolders {
 public:
  // Replaces the set with `urls`; returns the folders that left or joined it
  // (none when the set is the same).
  std::vector<std::string> replace(const std::vector<FileUrl>& urls);
  // Whether `path` (absolute, any spelling) is an observed folder or lies
  // below one.
  bool contains(std::string_view path) const;
  // The observed folders, standardised and in NFC, sorted.
  const std::vector<std::string>& folders() const { return folders_; }

  // The observed folder `folder` (as folders() gives it) is, through a link,
  // the folder `real`: an item in `real` is taken as the same item in
  // `folder`, as the badge state files name it. False, and nothing changes,
  // when `folder` is not observed. Forgotten when the set is replaced.
  bool setReal(std::string_view folder, std::string_view real);
  // `path` (absolute) as an observed folder names it when it lies in that
  // folder's real folder (built in `scratch`, the folder's part in NFC);
  // otherwise `path` itself. Costs nothing while no folder has a real
  // folder of its own.
  std::string_view fromReal(std::string_view path, std::string& scratch) const;

 private:
  // Sorted, without repeats.
  std::vector<std::string> folders_;
  struct Real {
    text::RootPath real;
    std::string folder;
  };
  std::vector<Real> reals_;
};

}  // namespace tessvik
