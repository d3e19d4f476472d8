#include "file_manager/emblem_icons.h"

#include "text/unicode.h"

namespace tessvik {

void EmblemIcons::add(std::string_view identifier, std::string_view icon) {
  const int index = indexOf(identifier);
  if (index != kNone) {
    icons_[static_cast<std::size_t>(index)].second = std::string(icon);
    return;
  }
  icons_.emplace_back(text::isAscii(identifier) ? std::string(identifier) : text::toNfc(identifier),
                      std::string(icon));
}

int EmblemIcons::indexOf(std::string_view identifier) const {
  if (identifier.empty()) return kNone;
  std::string nfc;
  if (!text::isAscii(identifier)) identifier = nfc = text::toNfc(identifier);
  for (std::size_t i = 0; i < icons_.size(); ++i) {
    if (icons_[i].first == identifier) return static_cast<int>(i);
  }
  return kNone;
}

}  // namespace tessvik
