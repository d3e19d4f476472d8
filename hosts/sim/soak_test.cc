// A hostile state folder, end to end: tessvik-finder runs while a writer
// rewrites and deletes badge state files in every way a real writer can.
// Afterwards the host's view, replayed from the events, must be exactly what
// the final files say, and the program's memory and descriptors must be back
// where they were, though two names lead to what is not a regular file.
// (How such files are refused is PosixFileSystemTest's; a state folder that
// goes away, BadgeStateTest's.)
//
// Long (about 30 s; TESSVIK_SOAK_SECONDS changes it): labelled "long", so
// `ctest -LE long` skips it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <thread>

#include "state/state_test_support.h"
#include "testing/finder_process.h"
#include "testing/json_value.h"

namespace tessvik::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kFiles = 4;

std::string nameOf(int file) {
  return "badges-" + std::to_string(file) + ".json";
}
// Each file keeps its root: a file that moves to another root leaves its old
// items to the host, which no longer observes that root.
std::string rootOf(int file) {
  return "/soak/root-" + std::to_string(file) + "/Donn\u00E9es";
}

// The storm. Runs on its own thread; touches only the state folder.
struct Writer {
  int pick(std::size_t n) { return static_cast<int>(random() % n); }

  // The items `file` is written with next, every one of which the reader
  // would accept: a random set, or now and then the file's last items with
  // the last of them dropped, or none at all: a re-read that keeps every
  // key left where it stood.
  Entries items(int file) {
    Entries& last = written[file];
    if (pick(6) == 0) {
      last.resize(static_cast<std::size_t>(pick(last.size() + 1)));
    } else {
      last = randomItems();
    }
    return last;
  }
  Entries randomItems() {
    static const char* const kStatuses[] = {"synced", "syncing", "conflict", "error", "", "paused"};
    Entries items;
    for (int k = 0, count = 20 + pick(400); k < count; ++k) {
      if (pick(3) == 0) continue;
      std::string key = "dossier " + std::to_string(k % 7) + "/fichier-" + std::to_string(k);
      if (k % 5 == 0) key += "-\u00E9t\u00E9";
      items.emplace_back(std::move(key), kStatuses[pick(std::size(kStatuses))]);
    }
    return items;
  }

  // Writes `bytes` in random chunks with pauses: from the start of the file
  // as it was (cut to size afterwards), or emptied first with O_TRUNC.
  void writeInPlace(const std::string& path, const std::string& bytes, int flags) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | flags, 0644);
    if (fd < 0) return;
    for (std::size_t at = 0; at < bytes.size();) {
      const ssize_t n = ::write(fd, bytes.data() + at,
                                std::min<std::size_t>(bytes.size() - at, 1 + random() % 512));
      if (n <= 0) break;
      at += static_cast<std::size_t>(n);
      if (pick(4) == 0) std::this_thread::sleep_for(1ms);
    }
    (void)!::ftruncate(fd, static_cast<off_t>(bytes.size()));
    ::close(fd);
  }

  void storm(std::chrono::seconds length) {
    for (const auto end = std::chrono::steady_clock::now() + length;
         std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(1ms * pick(40))) {
      const int file = pick(kFiles);
      const std::string path = home.stateDir + "/" + nameOf(file);
      const std::string content = badgeJson(rootOf(file), items(file));
      switch (pick(3)) {
        case 0:  // in place or emptied first, in chunks
          writeInPlace(path, content, pick(2) == 0 ? 0 : O_TRUNC);
          break;
        case 1:  // whole, dated now or long ago (a backup restored)
          home.writeState(nameOf(file), content, pick(2) == 0 ? 0 : 1000 + pick(1000));
          break;
        case 2:  // deleted (the other writes recreate it)
          ::unlink(path.c_str());
      }
    }
  }

  // One last write of every file that survived, each with a date nothing
  // used before; returns what the files now say, item path -> status.
  std::map<std::string, std::string> settle() {
    std::map<std::string, std::string> said;
    for (int file = 0; file < kFiles; ++file) {
      if (!fs::exists(home.stateDir + "/" + nameOf(file))) continue;
      const auto final = items(file);
      for (const auto& [key, status] : final) said[rootOf(file) + "/" + key] = status;
      home.writeState(nameOf(file), badgeJson(rootOf(file), final), 4'000'000'000 + file);
    }
    return said;
  }

  const ScratchHome& home;
  std::mt19937 random;
  std::map<int, Entries> written;  // file -> the items it was last written with
};

// The descriptors the program holds open.
long openFiles(pid_t pid) {
  return std::distance(fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd"),
                       fs::directory_iterator());
}

long residentKiB(pid_t pid) {
  long size = 0, residentPages = -1;
  std::ifstream("/proc/" + std::to_string(pid) + "/statm") >> size >> residentPages;
  return residentPages * ::sysconf(_SC_PAGESIZE) / 1024;
}

TEST(Soak, TheHostEndsWithExactlyWhatTheFilesSayAfterAHostileStorm) {
  const char* secondsSetting = std::getenv("TESSVIK_SOAK_SECONDS");
  const auto length = std::chrono::seconds(secondsSetting ? std::atoi(secondsSetting) : 30);
  ScratchHome home;
  Writer writer{home, std::mt19937(20261206), {}};
  for (int file = 0; file < kFiles; ++file)
    home.writeState(nameOf(file), badgeJson(rootOf(file), writer.items(file)), 0);
  ::mkfifo((home.stateDir + "/badges-fifo.json").c_str(), 0600);
  ::symlink("/dev/zero", (home.stateDir + "/badges-zero.json").c_str());

  // What the host was told, replayed from the events: each item's last
  // identifier.
  FinderProcess finder({"--home", home.home});
  std::map<std::string, std::string> badges;
  auto tick = [&] {
    for (const std::string& line : finder.send(R"({"request":"tick"})")) {
      std::map<std::string, std::string> event = jsonMembers(line).value();
      if (event["event"] == "setBadgeIdentifier") badges[event["path"]] = event["identifier"];
    }
  };
  tick();
  [[maybe_unused]] const long before = residentKiB(finder.pid());
  const long filesBefore = openFiles(finder.pid());

  std::thread storm([&] { writer.storm(length); });
  // Keep draining the output (a full pipe would stall the program) and keep
  // asking for ticks: each must be answered, whatever the folder holds.
  for (const auto end = std::chrono::steady_clock::now() + length;
       std::chrono::steady_clock::now() < end && !HasFailure(); std::this_thread::sleep_for(50ms)) {
    tick();
  }
  storm.join();
  const std::map<std::string, std::string> said = writer.settle();
  tick();
  ASSERT_FALSE(HasFailure());

  std::erase_if(
      badges, [&](const auto& item) { return item.second.empty() && !said.contains(item.first); });
  EXPECT_EQ(badges, said) << "every item as the files say, none lost, none stale";
  EXPECT_EQ(openFiles(finder.pid()), filesBefore) << "no descriptor left open";

#if !defined(__SANITIZE_ADDRESS__)
  // (AddressSanitizer keeps freed memory in quarantine: resident size says
  // nothing there, and leaks are its own business.)
  const long after = residentKiB(finder.pid());
  EXPECT_LT(after, before + 8 * 1024) << "resident KiB before " << before << ", after " << after;
#endif
}

}  // namespace
}  // namespace tessvik::testing
