// Where the simulated Finder writes its events and replies: one line each.
#pragma once

#include <string_view>

namespace tessvik::sim {

// Thread-safety: main loop only.
class LineOutput {
 public:
  virtual ~LineOutput() = default;
  // Writes `line` (which holds no newline) followed by a newline, and makes
  // it visible to the reader at once: nothing is held back in a buffer.
  virtual void writeLine(std::string_view line) = 0;
};

// Writes to a file descriptor (standard output) with write(2), one call per
// line when the pipe takes it whole. A reader that went away (EPIPE, with
// SIGPIPE ignored) or any other write failure drops the line: the extension
// goes on, there is just no one to tell.
class FdLineOutput final : public LineOutput {
 public:
  explicit FdLineOutput(int fd) : fd_(fd) {}
  void writeLine(std::string_view line) override;

 private:
  int fd_;
};

}  // namespace tessvik::sim
