#include "kit/badge_file_rules.h"

#include <cstring>

namespace tessvik::kit {

std::optional<std::string> rootProblem(std::string_view root) {
  if (root.empty() || root.front() != '/') return "ce n'est pas un chemin absolu";
  if (root.find('\0') != std::string_view::npos) return "elle contient le caractère NUL";
  return std::nullopt;
}

std::optional<std::string> keyProblem(std::string_view key) {
  if (key.empty()) return std::nullopt;
  if (key.find('\0') != std::string_view::npos) return "elle contient le caractère NUL";
  if (key.front() == '/') return "elle commence par « / »";
  if (key.back() == '/') return "elle finit par « / »";
  std::size_t start = 0;
  for (;;) {
    const std::size_t slash = key.find('/', start);
    const std::string_view part = key.substr(start, slash - start);
    if (part.empty()) return "elle contient « // »";
    if (part == "." || part == "..")
      return "elle contient un composant « " + std::string(part) + " »";
    if (slash == std::string_view::npos) return std::nullopt;
    start = slash + 1;
  }
}

std::optional<std::string> statusProblem(std::string_view status) {
  for (std::string_view known : kStatuses) {
    if (status == known) return std::nullopt;
  }
  return "le statut « " + text::toValidUtf8(status) +
         " » n'est pas une pastille (synced, syncing, conflict, error, ou « » pour "
         "aucune) : le Finder n'affiche rien";
}

KeySet::Header KeySet::headerAt(std::size_t offset) const {
  Header header;
  std::memcpy(&header, keys_.data() + offset, sizeof header);
  return header;
}

void KeySet::grow() {
  std::vector<std::size_t> slots(slots_.empty() ? 1024 : slots_.size() * 2, 0);
  const std::size_t mask = slots.size() - 1;
  for (std::size_t slot : slots_) {
    if (slot == 0) continue;
    std::size_t at = headerAt(slot - 1).hash & mask;
    while (slots[at] != 0) at = (at + 1) & mask;
    slots[at] = slot;
  }
  slots_ = std::move(slots);
}

std::optional<KeySet::Repeat> KeySet::add(std::string_view key) {
  if (2 * (count_ + 1) > slots_.size()) grow();
  const std::uint64_t hash = hasher_.hash(key);
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = hash & mask;
  for (; slots_[at] != 0; at = (at + 1) & mask) {
    const Header header = headerAt(slots_[at] - 1);
    if (header.hash != hash) continue;
    const std::string_view earlier(keys_.data() + slots_[at] - 1 + sizeof header, header.size);
    if (!text::canonicallyEqual(earlier, key)) continue;
    std::string reason = "redit la clé « " + std::string(earlier) + " » (élément n° " +
                         std::to_string(header.index + 1) + ")";
    if (earlier != key) reason += " dans une autre forme Unicode";
    reason += " : c'est le même élément, seul son dernier statut compte";
    return Repeat{header.index, earlier, std::move(reason)};
  }
  slots_[at] = keys_.size() + 1;
  const Header header{hash, count_++, key.size()};
  keys_.append(reinterpret_cast<const char*>(&header), sizeof header);
  keys_.append(key);
  return std::nullopt;
}

}  // namespace tessvik::kit
