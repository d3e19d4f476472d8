// tessvik-finder run by a test, with its standard input and output on pipes
// (standard error stays the test's), driven through its JSON lines (see the
// README). Built only along with tessvik-finder, on Linux.
//
// Reads block: a hung program is ended by ctest's timeout, and the program
// dies with the test process however that ends (it never outlives a test).
// Not thread-safe.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "testing/scratch_home.h"

namespace tessvik::testing {

// The built tessvik-finder (this driver is built only along with it).
inline constexpr const char* kFinderPath = TESSVIK_FINDER_PATH;

class FinderProcess {
 public:
  // Starts the built tessvik-finder with `args` (not including argv[0]); it
  // is killed, if still running, when the object goes.
  explicit FinderProcess(const std::vector<std::string>& args);
  ~FinderProcess();
  FinderProcess(const FinderProcess&) = delete;
  FinderProcess& operator=(const FinderProcess&) = delete;

  pid_t pid() const { return pid_; }

  // Writes all of `bytes` to the program's input in one write (a pipe keeps
  // writes of up to 4 KiB whole); a failure when it no longer reads.
  void write(std::string_view bytes);
  void closeInput();

  // The next line of output without its "\n"; "" once the output ended.
  std::string readLine();

  // What one request brought: the lines up to and including its reply (the
  // first line with a "reply" member), timer events left out; every line
  // must be a JSON object.
  std::vector<std::string> collect();
  std::vector<std::string> send(std::string_view request) {
    write(std::string(request) + "\n");
    return collect();
  }

  // The exit status (128 + N when killed by signal N), waiting for the end.
  int wait();

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  std::FILE* output_ = nullptr;
};

}  // namespace tessvik::testing
