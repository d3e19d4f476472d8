// The real file system: whole listings, reads that never block, and dates
// to the nanosecond.
#include "host/posix/posix_file_system.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>

namespace tessvik {
namespace {

class PosixFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(::mkdtemp(dir_.data()), nullptr); }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  void write(const std::string& name, const std::string& content) {
    std::ofstream(path(name), std::ios::binary) << content;
  }

  PosixFileSystem fs_;
  std::string dir_ = "/tmp/tessvik-fs-XXXXXX";
};

// Gives the real entries of a folder, then fails as a disk error would.
struct dirent* readTwoThenFail(DIR* dir) {
  static int calls = 0;
  if (++calls <= 2) return ::readdir(dir);
  calls = 0;
  errno = EIO;
  return nullptr;
}

TEST_F(PosixFileSystemTest, ListsNamesOneLevelDeepAndFailsWholeWhenReadingFailsPartWay) {
  for (const char* name : {"badges-1.json", "badges-2.json"}) write(name, "{}");
  ASSERT_EQ(::mkdir(path("sub").c_str(), 0700), 0);
  write("sub/badges.json", "{}");
  std::vector<std::string> sorted = fs_.listFolder(dir_).value();
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (std::vector<std::string>{"badges-1.json", "badges-2.json", "sub"}));
  // A partial list would drop files and clear their badges.
  Result<std::vector<std::string>> names = PosixFileSystem(&readTwoThenFail).listFolder(dir_);
  ASSERT_FALSE(names);
  EXPECT_EQ(names.error().code, EIO);
  EXPECT_EQ(names.error().operation, "readdir");
}

TEST_F(PosixFileSystemTest, ReadsWholeFilesIntoOneBufferWithTheRoomAskedFor) {
  // One buffer for every read: a shorter file after a longer one leaves
  // nothing of the longer one inside the content.
  const std::string big(300000, 'x');
  FlatArray<char> bytes;
  for (const std::string& content : {big, std::string("{}"), std::string(), big}) {
    write("badges.json", content);
    ASSERT_TRUE(fs_.readFile(path("badges.json"), bytes, 64)) << content.size();
    EXPECT_EQ(std::string_view(bytes.data(), bytes.size()), content) << content.size();
    EXPECT_GE(bytes.capacity() - bytes.size(), 64u) << content.size();
  }
}

TEST_F(PosixFileSystemTest, RefusesWhatIsNotARegularFileWithoutBlockingAndDatesLinksThemselves) {
  ASSERT_EQ(::mkfifo(path("badges-fifo.json").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("/dev/zero", path("badges-zero.json").c_str()), 0);
  ASSERT_EQ(::mkdir(path("badges-dir.json").c_str(), 0700), 0);
  FlatArray<char> bytes;
  EXPECT_EQ(fs_.readFile(path("badges-fifo.json"), bytes, 0).error().code, kNotRegularFile);
  EXPECT_EQ(fs_.readFile(path("badges-zero.json"), bytes, 0).error().code, kNotRegularFile);
  EXPECT_EQ(fs_.readFile(path("badges-dir.json"), bytes, 0).error().code, EISDIR);
  const timespec times[2] = {{1700000000, 123456789}, {1700000000, 123456789}};
  ASSERT_EQ(::symlink(path("nowhere").c_str(), path("badges-dangling.json").c_str()), 0);
  ASSERT_EQ(::utimensat(AT_FDCWD, path("badges-dangling.json").c_str(), times, AT_SYMLINK_NOFOLLOW),
            0);
  EXPECT_EQ(fs_.modificationTime(path("badges-dangling.json")).value(),
            (FileTime{1700000000, 123456789}));
}

}  // namespace
}  // namespace tessvik
