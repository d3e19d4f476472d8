#include "hosts/sim/fd_line_reader.h"

#include <fcntl.h>
#include <glib-unix.h>
#include <unistd.h>

#include <cerrno>

namespace tessvik::sim {

FdLineReader::FdLineReader(int fd, std::size_t maxLineLength, LineHandler onLine)
    : fd_(fd),
      originalFlags_(::fcntl(fd, F_GETFL)),
      splitter_(maxLineLength),
      onLine_(std::move(onLine)) {
  // A descriptor that is not open (a program started with standard input
  // closed) has nothing to read; watching it would make the loop spin.
  if (originalFlags_ < 0) return;
  ::fcntl(fd_, F_SETFL, originalFlags_ | O_NONBLOCK);
  sourceId_ =
      g_unix_fd_add(fd_, static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR | G_IO_NVAL),
                    &FdLineReader::onReadable, this);
}

FdLineReader::~FdLineReader() {
  if (sourceId_ != 0) g_source_remove(sourceId_);
  if (originalFlags_ >= 0) ::fcntl(fd_, F_SETFL, originalFlags_);
}

gboolean FdLineReader::onReadable(gint, GIOCondition, gpointer self) {
  auto* reader = static_cast<FdLineReader*>(self);
  if (reader->readSome()) return G_SOURCE_CONTINUE;
  reader->sourceId_ = 0;
  return G_SOURCE_REMOVE;
}

bool FdLineReader::readSome() {
  char buffer[64 * 1024];
  const ssize_t n = ::read(fd_, buffer, sizeof buffer);
  if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
  if (n == 0) {
    splitter_.finish(onLine_);
    return false;
  }
  return splitter_.feed(std::string_view(buffer, static_cast<std::size_t>(n)), onLine_);
}

}  // namespace tessvik::sim
