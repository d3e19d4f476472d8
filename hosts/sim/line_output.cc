#include "hosts/sim/line_output.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace tessvik::sim {

void FdLineOutput::writeLine(std::string_view line) {
  std::string bytes;
  bytes.reserve(line.size() + 1);
  bytes.append(line);
  bytes += '\n';
  std::string_view rest = bytes;
  while (!rest.empty()) {
    const ssize_t n = ::write(fd_, rest.data(), rest.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        // On a terminal, standard output may share the non-blocking open
        // file of standard input: wait until it takes more.
        pollfd writable{fd_, POLLOUT, 0};
        if (::poll(&writable, 1, -1) >= 0 || errno == EINTR) continue;
      }
      return;
    }
    rest.remove_prefix(static_cast<std::size_t>(n));
  }
}

}  // namespace tessvik::sim
