// Cuts a byte stream into lines, whatever the chunks it arrives in: several
// lines in one chunk, or one line spread over many.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tessvik::sim {

// One line, without its "\n". An overlong line has no text: its bytes were
// dropped as they came, so that a runaway writer cannot exhaust memory.
struct Line {
  std::string_view text;
  bool overlong = false;
};

// Called for each line, in order; returns false to stop at that line.
using LineHandler = std::function<bool(const Line&)>;

// Not thread-safe.
class LineSplitter {
 public:
  explicit LineSplitter(std::size_t maxLineLength) : maxLineLength_(maxLineLength) {}

  // Adds `bytes` and hands every line they complete to `onLine`. Returns
  // false when `onLine` asked to stop: whatever follows that line, now or
  // in later calls, is ignored.
  bool feed(std::string_view bytes, const LineHandler& onLine);

  // End of input: hands a last line that had no "\n" to `onLine`, if any.
  bool finish(const LineHandler& onLine);

 private:
  std::size_t maxLineLength_;
  std::string pending_;
  bool discarding_ = false;
  bool stopped_ = false;
};

}  // namespace tessvik::sim
