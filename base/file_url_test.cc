// File URLs: the forms roots and items take before they are compared.
#include "base/file_url.h"

#include <gtest/gtest.h>

namespace tessvik {
namespace {

TEST(FileUrl, StandardisingRemovesDotSegmentsAndRepeatedSlashes) {
  const std::pair<const char*, const char*> cases[] = {
      {"/Volumes/Data/Sync/./", "/Volumes/Data/Sync"},
      {"/a/b/../c/./d", "/a/c/d"},
      {"/a//b///c", "/a/b/c"},
      {"/../../a", "/a"},
      {"/a/..", "/"},
      {"/a/...", "/a/..."},
      {"rel/../../x", "../x"},
  };
  // (standardizedPath and idempotence: checked by the fuzz target path_text.)
  for (const auto& [path, standard] : cases) {
    EXPECT_EQ(FileUrl::fromPath(path, true).standardized().path(), standard) << path;
  }
}

TEST(FileUrl, FoldersEqualWithOrWithoutTheirTrailingSlashAndAppendingJoinsComponents) {
  EXPECT_EQ(FileUrl::fromPath("/a/", true), FileUrl::fromPath("/a", true));
  EXPECT_NE(FileUrl::fromPath("/a/./", true), FileUrl::fromPath("/a", true));
  EXPECT_NE(FileUrl::fromPath("/a", true), FileUrl::fromPath("/a", false));
  // Appending joins path components.
  const FileUrl root = FileUrl::fromPath("/Users/u/Sync/", true);
  EXPECT_EQ(root.appending("docs/report.pdf").path(), "/Users/u/Sync/docs/report.pdf");
  EXPECT_EQ(root.appending(""), root);
  EXPECT_EQ(root.appending("dir/").path(), "/Users/u/Sync/dir");
  EXPECT_EQ(FileUrl::fromPath("/", true).appending("x").path(), "/x");
  // One after another: a path of slashes alone takes the base's separator.
  FileUrl::Joiner items(root);
  EXPECT_EQ(items.join("a/b").path(), "/Users/u/Sync/a/b");
  EXPECT_EQ(items.join("//"), root);
  EXPECT_EQ(items.join("c"), FileUrl::fromPath("/Users/u/Sync/c", false));
}

}  // namespace
}  // namespace tessvik
