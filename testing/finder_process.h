// tessvik-finder run by a test, with its standard input and output on pipes
// (standard error stays the test's), driven through its JSON lines (see the
// README).
//
// Every read waits at most ten seconds, so a hung program fails the test
// instead of blocking it; after the first failure (no line in time, a line
// that is not a JSON object, input no longer read) every read gives up at
// once, so one hang costs one timeout. The program is killed, if still
// running, when the object goes. Not thread-safe.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessvik::testing {

class FinderProcess {
 public:
  // Starts the built tessvik-finder with `args` (not including argv[0]).
  explicit FinderProcess(const std::vector<std::string>& args);
  ~FinderProcess();
  FinderProcess(const FinderProcess&) = delete;
  FinderProcess& operator=(const FinderProcess&) = delete;

  pid_t pid() const { return pid_; }
  bool failed() const { return failed_; }

  // Writes all of `bytes` to the program's input in one write (a pipe keeps
  // writes of up to 4 KiB whole).
  void write(std::string_view bytes);
  void closeInput();

  // The next line of output without its "\n"; nothing when none came in time
  // or the output ended (not a failure by itself).
  std::optional<std::string> readLine();
  // The next line of output, which must be a JSON object; "" after a failure.
  std::string next();

  // What one request brought: the lines up to and including its reply (the
  // first line with a "reply" member), timer events left out.
  std::vector<std::string> collect();
  std::vector<std::string> send(std::string_view request) {
    write(std::string(request) + "\n");
    return collect();
  }

  // The exit status (128 + N when killed by signal N) once the program has
  // ended; nothing, and a failure, when it still runs after kTimeout.
  std::optional<int> wait();

 private:
  void fail(std::string_view why);

  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  std::string buffered_;
  bool failed_ = false;
  std::optional<int> status_;
};

}  // namespace tessvik::testing
