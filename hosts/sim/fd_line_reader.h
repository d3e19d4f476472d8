// Reads lines from a file descriptor (standard input) on the GLib main loop,
// never blocking it.
#pragma once

#include <glib.h>

#include <cstddef>

#include "hosts/sim/line_splitter.h"

namespace tessvik::sim {

// Watches `fd` with g_unix_fd_add on the thread-default main context and
// reads what is there each time it becomes readable, the descriptor set to
// non-blocking meanwhile (its flags are restored on destruction: a terminal's
// shell shares them). Lines go to `onLine` as they complete; at end of input
// a last unterminated line goes too, and reading stops. A read error also
// stops reading. When `onLine` returns false, reading stops for good.
//
// Stopping to read never stops the loop: that is the caller's decision.
// Main loop only; `fd` stays open and is the caller's.
class FdLineReader {
 public:
  FdLineReader(int fd, std::size_t maxLineLength, LineHandler onLine);
  ~FdLineReader();
  FdLineReader(const FdLineReader&) = delete;
  FdLineReader& operator=(const FdLineReader&) = delete;

  bool reading() const { return sourceId_ != 0; }

 private:
  static gboolean onReadable(gint fd, GIOCondition condition, gpointer self);
  // Reads once; false when reading is over.
  bool readSome();

  int fd_;
  int originalFlags_;
  LineSplitter splitter_;
  LineHandler onLine_;
  guint sourceId_ = 0;
};

}  // namespace tessvik::sim
