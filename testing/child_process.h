// A program run by a test, with its standard input and output on pipes:
// write to it, read its output line by line with a timeout (so a hung
// program fails the test instead of blocking it), signal it, wait for it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessvik::testing {

// Standard error stays the test's own. The child is killed, if still
// running, when the object goes. Writing to a child that has exited fails
// (SIGPIPE is ignored in the test process). Not thread-safe.
class ChildProcess {
 public:
  // Starts `program` with `args` (not including argv[0]). started() tells
  // whether it could be.
  ChildProcess(const std::string& program, const std::vector<std::string>& args);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }

  // Writes all of `bytes` to the child's standard input in one write
  // (pipes keep writes of up to 4 KiB whole); false if the child is gone.
  bool write(std::string_view bytes);
  void closeInput();

  // The next line of standard output without its "\n"; nothing when none
  // came within `timeout` or when the output ended (see outputEnded).
  std::optional<std::string> readLine(std::chrono::milliseconds timeout);
  bool outputEnded() const { return outputEnded_; }

  void signal(int signal);

  // The exit status once the child has exited (128 + N when killed by
  // signal N), or nothing if it still runs after `timeout`.
  std::optional<int> wait(std::chrono::milliseconds timeout);

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  std::string buffered_;
  bool outputEnded_ = false;
  std::optional<int> status_;
};

}  // namespace tessvik::testing
