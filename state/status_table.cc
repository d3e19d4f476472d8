#include "state/status_table.h"

#include <bit>
#include <limits>

#include "text/unicode.h"

namespace tessvik {
namespace {

// Keys that are canonically equal always have equal hashes; keys with equal
// bytes are equal. Only the rare pair of different bytes with equal hashes
// goes through normalisation.
bool sameKey(std::string_view a, std::string_view b) {
  if (a == b) return true;
  if (text::isAscii(a) && text::isAscii(b)) return false;
  return text::canonicallyEqual(a, b);
}

}  // namespace

std::uint32_t StatusTable::hashOf(std::string_view key) {
  const std::uint64_t h = text::isAscii(key) ? text::byteHash(key) : text::canonicalHash(key);
  return static_cast<std::uint32_t>(h ^ (h >> 32));
}

std::optional<std::uint32_t> StatusTable::findIndex(std::string_view k, std::uint32_t hash) const {
  if (slots_.empty()) return std::nullopt;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
    const std::uint32_t index = slots_[s];
    if (index == kEmptySlot) return std::nullopt;
    const Entry& e = entries_[index];
    if (e.hashBits == hash && sameKey(key(e), k)) return index;
  }
}

std::optional<std::string_view> StatusTable::find(std::string_view relativePath) const {
  std::optional<std::uint32_t> i = findIndex(relativePath, hashOf(relativePath));
  if (!i) return std::nullopt;
  return std::string_view(statuses_[entries_[*i].status]);
}

std::string_view StatusTable::keyAt(std::size_t i) const {
  return key(entries_[i]);
}

std::string_view StatusTable::statusAt(std::size_t i) const {
  return statuses_[entries_[i].status];
}

std::vector<std::uint32_t> StatusTable::matchStatuses(const StatusTable& previous) const {
  // Statuses are a handful of words; a map keyed by their canonical form keeps
  // this linear even for a file that gives every item a status of its own.
  std::unordered_map<std::string, std::uint32_t> previousIds;
  previousIds.reserve(previous.statuses_.size());
  for (std::uint32_t i = 0; i < previous.statuses_.size(); ++i) {
    previousIds.emplace(text::toNfc(previous.statuses_[i]), i);
  }
  std::vector<std::uint32_t> match(statuses_.size(), kEmptySlot);
  for (std::uint32_t i = 0; i < statuses_.size(); ++i) {
    auto it = previousIds.find(text::toNfc(statuses_[i]));
    if (it != previousIds.end()) match[i] = it->second;
  }
  return match;
}

std::size_t StatusTable::memoryUsage() const {
  std::size_t bytes = sizeof(*this) + keys_.capacity() + entries_.capacity() * sizeof(Entry) +
                      slots_.capacity() * sizeof(std::uint32_t) +
                      statuses_.capacity() * sizeof(std::string);
  for (const std::string& s : statuses_) {
    if (s.capacity() > 15) bytes += s.capacity();
  }
  return bytes;
}

void StatusTable::Builder::reserve(std::size_t entries, std::size_t keyBytes) {
  table_.keys_.reserve(keyBytes);
  table_.entries_.reserve(entries);
  // At most half full, so that probes stay short.
  table_.slots_.assign(std::bit_ceil(std::max<std::size_t>(16, entries * 2)), kEmptySlot);
}

void StatusTable::Builder::grow() {
  std::vector<std::uint32_t>& slots = table_.slots_;
  slots.assign(std::max<std::size_t>(16, slots.size() * 2), kEmptySlot);
  const std::size_t mask = slots.size() - 1;
  for (std::uint32_t i = 0; i < table_.entries_.size(); ++i) {
    std::size_t s = table_.entries_[i].hashBits & mask;
    while (slots[s] != kEmptySlot) s = (s + 1) & mask;
    slots[s] = i;
  }
}

std::uint32_t* StatusTable::Builder::slotFor(std::string_view key, std::uint32_t hash) {
  std::vector<std::uint32_t>& slots = table_.slots_;
  const std::size_t mask = slots.size() - 1;
  for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
    const std::uint32_t index = slots[s];
    if (index == kEmptySlot) return &slots[s];
    const Entry& e = table_.entries_[index];
    if (e.hashBits == hash && sameKey(table_.key(e), key)) return &slots[s];
  }
}

std::uint32_t StatusTable::Builder::intern(std::string_view status) {
  // Consecutive items mostly share their status.
  if (lastStatus_ != kEmptySlot && table_.statuses_[lastStatus_] == status) return lastStatus_;
  auto [it, inserted] =
      statusIds_.try_emplace(std::string(status), static_cast<std::uint32_t>(statusIds_.size()));
  if (inserted) table_.statuses_.emplace_back(status);
  lastStatus_ = it->second;
  return lastStatus_;
}

bool StatusTable::Builder::add(std::string_view key, std::string_view status) {
  constexpr std::size_t kLimit = std::numeric_limits<std::uint32_t>::max() - 1;
  if (table_.keys_.size() + key.size() > kLimit || table_.entries_.size() >= kLimit / 2) {
    return false;
  }
  if ((table_.entries_.size() + 1) * 2 > table_.slots_.size()) grow();
  const std::uint32_t hash = hashOf(key);
  std::uint32_t* slot = slotFor(key, hash);
  const std::uint32_t statusId = intern(status);
  Entry fresh{static_cast<std::uint32_t>(table_.keys_.size()),
              static_cast<std::uint32_t>(key.size()), statusId, hash};
  table_.keys_.append(key);
  if (*slot != kEmptySlot) {
    table_.entries_[*slot] = fresh;  // a repeated key: the last one written wins
  } else {
    *slot = static_cast<std::uint32_t>(table_.entries_.size());
    table_.entries_.push_back(fresh);
  }
  return true;
}

StatusTable StatusTable::Builder::finish() && {
  statusIds_.clear();
  return std::move(table_);
}

}  // namespace tessvik
