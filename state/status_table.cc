#include "state/status_table_builder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <unordered_map>

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

// Entry numbers plus one must fit in 32 bits, and so must twice their count
// (the index's size).
constexpr std::size_t kMaxEntries = std::size_t{1} << 31;

// Up to this many distinct statuses, interning scans them (a file has a
// handful); beyond, a map takes over.
constexpr std::size_t kScannedStatuses = 16;

// Recycled memory is kept only while it is not much more than needed.
template <class Container>
void reserveOrRelease(Container& c, std::size_t needed) {
  if (c.capacity() > 2 * needed + 4096) c = Container();
  c.reserve(needed);
}

Error tooLarge() {
  return inputError("le membre « files » est trop volumineux");
}

// A table may be held for hours: it does not keep much more memory than it
// uses.
template <class T>
void shrinkIfMuchLarger(FlatArray<T>& array) {
  if (array.capacity() > array.size() / 8 * 9 + 4096) array.shrinkToFit();
}

}  // namespace

std::uint32_t StatusTable::hashOf(std::string_view key) {
  return folded(text::canonicalHash(key));
}

std::optional<std::uint32_t> StatusTable::Keys::find(std::string_view key,
                                                     std::uint32_t hash) const {
  if (slots.empty()) return std::nullopt;
  const std::size_t mask = slots.size() - 1;
  for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
    const Slot slot = slots[s];
    if (slot.entry == 0) return std::nullopt;
    if (slot.hash == hash && sameKey(at(slot.entry - 1), key)) return slot.entry - 1;
  }
}

bool StatusTable::Keys::index(std::span<const std::uint32_t> hashes) {
  const std::size_t n = ends.size();
  slots.assignZeros(std::bit_ceil(std::max<std::size_t>(16, n * 2)));
  const std::size_t mask = slots.size() - 1;
  // For a million keys the index takes 16 MiB, far more than the caches:
  // placing the keys in file order would miss the cache, and the TLB, at
  // nearly every key. So the keys are first sorted by the region of the index
  // where their probe starts (a counting sort on the top bits of the slot),
  // and the regions are then filled one after the other, each while it is in
  // cache. Linear probing gives the same index in any order of insertion.
  constexpr int kRegionBits = 8;
  const int slotBits = std::countr_zero(slots.size());
  const int shift = std::max(0, slotBits - kRegionBits);
  const auto regionOf = [&](std::uint32_t hash) { return (hash & mask) >> shift; };
  std::vector<std::size_t> regionStart((slots.size() >> shift) + 1, 0);
  for (std::size_t i = 0; i < n; ++i) ++regionStart[regionOf(hashes[i]) + 1];
  for (std::size_t r = 1; r < regionStart.size(); ++r) regionStart[r] += regionStart[r - 1];
  FlatArray<Slot> byRegion;
  byRegion.resizeForOverwrite(n);
  for (std::size_t i = 0; i < n; ++i) {
    byRegion[regionStart[regionOf(hashes[i])]++] =
        Slot{hashes[i], static_cast<std::uint32_t>(i + 1)};
  }
  for (const Slot& placed : byRegion) {
    std::size_t s = placed.hash & mask;
    for (; slots[s].entry != 0; s = (s + 1) & mask) {
      const Slot slot = slots[s];
      if (slot.hash == placed.hash && sameKey(at(slot.entry - 1), at(placed.entry - 1))) {
        return false;
      }
    }
    slots[s] = placed;
  }
  return true;
}

std::optional<std::string_view> StatusTable::find(std::string_view relativePath) const {
  std::optional<std::uint32_t> i = findIndex(relativePath);
  if (!i) return std::nullopt;
  return statusAt(*i);
}

StatusTable::StatusClasses StatusTable::classifyStatuses(const StatusTable& previous) const {
  // Statuses are a handful of words; a map keyed by their canonical form keeps
  // this linear even for a file that gives every item a status of its own.
  // One table may hold two spellings of one status (precomposed and not):
  // they get the same number.
  std::unordered_map<std::string, std::uint32_t> classOf;
  const auto classify = [&](const std::vector<std::string>& statuses) {
    std::vector<std::uint32_t> classes;
    classes.reserve(statuses.size());
    for (const std::string& status : statuses) {
      const auto next = static_cast<std::uint32_t>(classOf.size());
      classes.push_back(classOf.try_emplace(text::toNfc(status), next).first->second);
    }
    return classes;
  };
  StatusClasses classes;
  classes.previous = classify(previous.statuses_);
  classes.mine = classify(statuses_);
  return classes;
}

std::size_t StatusTable::memoryUsage() const {
  std::size_t bytes = sizeof(*this) + statusOf_.capacity() * sizeof(std::uint32_t) +
                      statuses_.capacity() * sizeof(std::string);
  for (const std::string& s : statuses_) {
    if (s.capacity() > 15) bytes += s.capacity();
  }
  if (keys_) {
    bytes += sizeof(Keys) + keys_->bytes.capacity() +
             keys_->ends.capacity() * sizeof(std::uint32_t) +
             keys_->slots.capacity() * sizeof(Slot);
  }
  return bytes;
}

StatusTable::Builder::Builder(StatusTable&& recycled) {
  table_.statusOf_ = std::move(recycled.statusOf_);
  table_.statusOf_.clear();
  // Keys still shared with a live table stay theirs.
  if (recycled.keys_ && recycled.keys_.use_count() == 1) {
    own_ = std::move(recycled.keys_);
    keyBytes_.recycle(std::move(own_->bytes));
    own_->escaped = false;
    own_->ends.clear();
    own_->slots.clear();
  }
}

void StatusTable::Builder::PreviousKeys::follow(const StatusTable& like) {
  if (!like.keys_) return;
  like_ = &like;
  escaped_ = like.keys_->escaped;
  bytes_ = std::string_view(like.keys_->bytes.data(), like.keys_->bytes.size());
  ends_ = like.keys_->ends;
}

void StatusTable::Builder::KeyBytes::recycle(FlatArray<char>&& memory) {
  own_ = std::move(memory);
  own_.clear();
}

void StatusTable::Builder::KeyBytes::start(std::string_view first, std::size_t expected) {
  // Recycled key memory is already touched: the keys are copied into it.
  // The keys before take no more bytes as text than they took in the file,
  // before the key being added, so they fit over the front of it.
  writingOver_ = over_ != nullptr && own_.capacity() == 0 && first.size() <= over_->size();
  if (writingOver_) {
    if (!first.empty()) std::memcpy(over_->data(), first.data(), first.size());
    overSize_ = first.size();
  } else {
    reserveOrRelease(own_, std::max(expected, first.size()));
    own_.assign(first.data(), first.size());
  }
}

std::optional<std::uint32_t> StatusTable::Builder::KeyBytes::appendOwn(std::string_view key) {
  const std::size_t end = own_.size() + key.size();
  if (end > kMaxKeyBytes) return std::nullopt;
  own_.append(key.data(), key.size());
  return static_cast<std::uint32_t>(end);
}

FlatArray<char> StatusTable::Builder::KeyBytes::take() {
  if (!writingOver_) return std::move(own_);
  over_->resizeForOverwrite(overSize_);
  return std::move(*over_);
}

std::uint32_t StatusTable::Builder::StatusInterner::internNew(std::string_view status) {
  std::uint32_t id;
  if (statuses_.size() <= kScannedStatuses) {
    id = 0;
    while (id < statuses_.size() &&
           !(statuses_[id].size() == status.size() &&
             bytes::same(statuses_[id].data(), status.data(), status.size()))) {
      ++id;
    }
    if (id == statuses_.size()) statuses_.emplace_back(status);
    if (statuses_.size() > kScannedStatuses) {
      for (std::uint32_t i = 0; i < statuses_.size(); ++i) ids_.emplace(statuses_[i], i);
    }
  } else {
    auto [it, inserted] =
        ids_.try_emplace(std::string(status), static_cast<std::uint32_t>(statuses_.size()));
    if (inserted) statuses_.emplace_back(status);
    id = it->second;
  }
  // Taken anew at each call: growing `statuses_` moves the texts.
  last_ = id;
  lastText_ = statuses_[id];
  return id;
}

void StatusTable::Builder::expectFileOf(std::size_t fileBytes) {
  if (const StatusTable* like = previous_.table()) {
    // A rewrite mostly keeps the items; a few more may come.
    expectedEntries_ = like->size() + like->size() / 16 + 16;
    expectedKeyBytes_ = like->keys_->bytes.size();
    expectedKeyBytes_ += expectedKeyBytes_ / 16;
  } else {
    // No key is longer than its file, and the shortest entry, `"":"",`, takes
    // six bytes.
    expectedEntries_ = fileBytes / 6 + 1;
    expectedKeyBytes_ = fileBytes;
  }
  expectedEntries_ = std::min(expectedEntries_, kMaxEntries);
  expectedKeyBytes_ = std::min(expectedKeyBytes_, kMaxKeyBytes);
  reserveOrRelease(table_.statusOf_, expectedEntries_);
}

void StatusTable::Builder::resemble(const StatusTable& like) {
  previous_.follow(like);
}

void StatusTable::Builder::startOwnKeys() {
  ownStarted_ = true;
  previous_.stop();
  if (!own_) own_ = std::make_shared<Keys>();
  keyBytes_.start(previous_.matchedBytes(), expectedKeyBytes_);
  reserveOrRelease(own_->ends, expectedEntries_);
  hashes_.clear();
  hashes_.reserve(expectedEntries_);
  const std::size_t matched = previous_.matched();
  if (matched > 0) {
    const Keys& theirs = *previous_.table()->keys_;
    own_->ends.assign(theirs.ends.data(), matched);
    own_->escaped = theirs.escaped;
    for (std::size_t i = 0; i < matched; ++i) {
      hashes_.push_back(folded(hasher_.hash(theirs.at(i))));
    }
  }
}

Result<void> StatusTable::Builder::addOwn(std::string_view key, std::string_view status,
                                          bool escaped) {
  if (table_.size() >= kMaxEntries) return tooLarge();
  if (!ownStarted_) startOwnKeys();
  const std::uint32_t hash = folded(hasher_.hash(key));
  const std::optional<std::uint32_t> end = keyBytes_.append(key);
  if (!end) return tooLarge();
  own_->escaped = own_->escaped || escaped;
  own_->ends.push_back(*end);
  hashes_.push_back(hash);
  table_.statusOf_.push_back(statuses_.intern(status));
  return {};
}

void StatusTable::Builder::mergeRepeatedKeys() {
  // Rare: a file that names one item twice. Each key keeps the place where
  // it first appeared and takes the text and status written last.
  Keys& keys = *own_;
  std::vector<std::uint32_t> kept;                       // entry numbers, in the merged order
  std::unordered_map<std::string, std::size_t> placeOf;  // NFC key -> index in kept
  for (std::uint32_t i = 0; i < keys.ends.size(); ++i) {
    auto [it, inserted] = placeOf.try_emplace(text::toNfc(keys.at(i)), kept.size());
    if (inserted) {
      kept.push_back(i);
    } else {
      kept[it->second] = i;
    }
  }
  Keys merged;
  FlatArray<std::uint32_t> statusOf;
  FlatArray<std::uint32_t> hashes;
  merged.ends.reserve(kept.size());
  statusOf.reserve(kept.size());
  hashes.reserve(kept.size());
  for (std::uint32_t i : kept) {
    const std::string_view key = keys.at(i);
    merged.bytes.append(key.data(), key.size());
    merged.ends.push_back(static_cast<std::uint32_t>(merged.bytes.size()));
    statusOf.push_back(table_.statusOf_[i]);
    hashes.push_back(hashes_[i]);
  }
  merged.escaped = keys.escaped;
  keys = std::move(merged);
  table_.statusOf_ = std::move(statusOf);
  hashes_ = std::move(hashes);
}

StatusTable StatusTable::Builder::finish() && {
  if (!ownStarted_ && previous_.matchedAll()) {
    table_.keys_ = previous_.table()->keys_;
  } else if (!table_.empty()) {
    if (!ownStarted_) startOwnKeys();
    own_->bytes = keyBytes_.take();
    // The arrays were sized for the most the file could hold.
    shrinkIfMuchLarger(own_->bytes);
    shrinkIfMuchLarger(own_->ends);
    // Keys that toNfc makes equal are exactly those sameKey finds equal, so
    // once merged they index without a clash.
    if (!own_->index(hashes_)) {
      mergeRepeatedKeys();
      own_->index(hashes_);
    }
    table_.keys_ = std::move(own_);
  }
  shrinkIfMuchLarger(table_.statusOf_);
  table_.statuses_ = statuses_.take();
  return std::move(table_);
}

}  // namespace tessvik
