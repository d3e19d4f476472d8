#include "hosts/sim/line_splitter.h"

namespace tessvik::sim {

bool LineSplitter::feed(std::string_view bytes, const LineHandler& onLine) {
  if (stopped_) return false;
  while (!bytes.empty()) {
    const std::size_t newline = bytes.find('\n');
    const std::string_view piece = bytes.substr(0, newline);
    if (!discarding_ && pending_.size() + piece.size() > maxLineLength_) {
      pending_.clear();
      pending_.shrink_to_fit();
      discarding_ = true;
    }
    if (!discarding_) pending_.append(piece);
    if (newline == std::string_view::npos) return true;
    bytes.remove_prefix(newline + 1);

    Line line{pending_, discarding_};
    const bool goOn = onLine(line);
    pending_.clear();
    discarding_ = false;
    if (!goOn) {
      stopped_ = true;
      return false;
    }
  }
  return true;
}

bool LineSplitter::finish(const LineHandler& onLine) {
  if (stopped_) return false;
  if (pending_.empty() && !discarding_) return true;
  return feed("\n", onLine);
}

}  // namespace tessvik::sim
