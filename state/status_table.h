// The statuses of one badge state file: relative path -> status, built once
// by the decoder and read-only afterwards.
//
// A sync client may list a million items, and the whole file is decoded again
// whenever its date moves, so the table is laid out for that:
//  - every key lives in one buffer, in file order, exactly as written;
//  - statuses are interned: an entry holds the index of its status text;
//  - an open-addressing index over the entries answers lookups under
//    canonical equivalence (the hash of a key is the hash of its NFC form);
//  - nothing is allocated per entry, so building and freeing are a handful of
//    large allocations.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tessvik {

class StatusTable {
 public:
  class Builder;

  StatusTable() = default;

  // Number of distinct keys (canonically equivalent keys count once).
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }

  // The status of `relativePath`, compared under canonical equivalence.
  std::optional<std::string_view> find(std::string_view relativePath) const;

  // The i-th key in file order, as the file wrote it, and its status.
  std::string_view keyAt(std::size_t i) const;
  std::string_view statusAt(std::size_t i) const;

  // Calls change(key, status) for every key on which `previous` and this
  // table disagree: with this table's status for a key that is new or whose
  // status changed, with "" for a key that only `previous` has (the key then
  // comes from `previous`). Keys and statuses compare under canonical
  // equivalence. Walks both tables in file order first, since a rewritten
  // file mostly keeps its order, and falls back to the index where it differs.
  template <class Change>
  void diff(const StatusTable& previous, Change&& change) const;

  // Bytes held by the table, for measurements.
  std::size_t memoryUsage() const;

 private:
  struct Entry {
    std::uint32_t keyOffset;
    std::uint32_t keyLength;
    std::uint32_t status;    // index into statuses_
    std::uint32_t hashBits;  // the canonical hash, folded to 32 bits
  };
  static constexpr std::uint32_t kEmptySlot = 0xFFFFFFFFu;

  std::string_view key(const Entry& e) const {
    return std::string_view(keys_.data() + e.keyOffset, e.keyLength);
  }
  // Index of the entry whose key is canonically equal to `key`, if any.
  std::optional<std::uint32_t> findIndex(std::string_view key, std::uint32_t hash) const;
  static std::uint32_t hashOf(std::string_view key);
  // For each of this table's statuses, the index of the equal status in
  // `previous`, or kEmptySlot.
  std::vector<std::uint32_t> matchStatuses(const StatusTable& previous) const;

  std::string keys_;
  std::vector<Entry> entries_;
  std::vector<std::string> statuses_;
  std::vector<std::uint32_t> slots_;  // entry indices; size a power of two
};

// Builds a table in file order. A key canonically equal to one added before
// replaces it (the last one written wins, at the first one's place), as a
// JSON object read into a map would.
class StatusTable::Builder {
 public:
  void reserve(std::size_t entries, std::size_t keyBytes);
  // False when the table cannot hold more (4 GiB of keys or 2^32 entries).
  bool add(std::string_view key, std::string_view status);
  StatusTable finish() &&;

 private:
  void grow();
  std::uint32_t intern(std::string_view status);
  std::uint32_t* slotFor(std::string_view key, std::uint32_t hash);

  StatusTable table_;
  std::unordered_map<std::string, std::uint32_t> statusIds_;
  std::uint32_t lastStatus_ = kEmptySlot;
};

template <class Change>
void StatusTable::diff(const StatusTable& previous, Change&& change) const {
  const std::vector<std::uint32_t> statusInPrevious = matchStatuses(previous);
  std::vector<bool> seen(previous.entries_.size(), false);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const Entry& e = entries_[i];
    const std::string_view k = key(e);
    std::optional<std::uint32_t> j;
    if (i < previous.entries_.size() && previous.entries_[i].hashBits == e.hashBits &&
        previous.key(previous.entries_[i]) == k) {
      j = static_cast<std::uint32_t>(i);  // same place, same bytes: the common case
    } else {
      j = previous.findIndex(k, e.hashBits);
    }
    if (j) {
      seen[*j] = true;
      if (statusInPrevious[e.status] == previous.entries_[*j].status) continue;
    }
    change(k, std::string_view(statuses_[e.status]));
  }
  for (std::size_t j = 0; j < previous.entries_.size(); ++j) {
    if (!seen[j]) change(previous.key(previous.entries_[j]), std::string_view());
  }
}

}  // namespace tessvik
