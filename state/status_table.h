// The statuses of one badge state file: relative path -> status, built once
// by the decoder and read-only afterwards.
//
// A sync client may list a million items and rewrites the whole file when
// one status changes; the file is then decoded again at the next tick. The
// table is laid out for that:
//  - every key lives in one buffer, back to back in file order, exactly as
//    written; an entry is the end of its key in that buffer and the index of
//    its status;
//  - statuses are interned: a file uses a handful of distinct texts;
//  - an open-addressing index answers lookups under canonical equivalence
//    (the hash of a key is the hash of its NFC form); each slot carries the
//    hash beside the entry number, so a probe reads no entry but a match;
//  - the keys and their index are immutable and shared: a table built with
//    the same keys as the file's previous table (what a rewrite that only
//    changes statuses gives) compares its keys with the previous ones instead
//    of copying them, and shares them; the diff of two such tables compares
//    statuses only;
//  - nothing is allocated per entry, and the memory of a table no longer
//    needed can be handed to the next one (Builder); with none, the keys are
//    written over the bytes they were read from, and that buffer becomes the
//    table's (Builder::writeKeysOver).
//
// Tables are built by StatusTable::Builder (state/status_table_builder.h).
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/flat_array.h"

namespace tessvik {
class StatusTable {
 public:
  class Builder;

  StatusTable() = default;
  StatusTable(StatusTable&&) noexcept = default;
  StatusTable& operator=(StatusTable&&) noexcept = default;

  // Number of distinct keys (canonically equivalent keys count once).
  std::size_t size() const { return statusOf_.size(); }
  bool empty() const { return statusOf_.empty(); }

  // The status of `relativePath`, compared under canonical equivalence.
  std::optional<std::string_view> find(std::string_view relativePath) const;

  // The i-th key in file order, as the file wrote it, and its status.
  std::string_view keyAt(std::size_t i) const { return keys_->at(i); }
  std::string_view statusAt(std::size_t i) const { return statuses_[statusOf_[i]]; }

  // Calls change(key, status) for every key on which `previous` and this
  // table disagree: with this table's status for a key that is new or whose
  // status changed, with "" for a key that only `previous` has (the key then
  // comes from `previous`). Keys and statuses compare under canonical
  // equivalence. Tables that share their keys compare statuses only;
  // otherwise both are walked in file order first, since a rewritten file
  // mostly keeps its order, with the index as the fallback where they differ.
  template <class Change>
  void diff(const StatusTable& previous, Change&& change) const;

  // Bytes held by the table, for measurements. Keys shared with another
  // table count in both.
  std::size_t memoryUsage() const;

 private:
  // A slot of the index: the entry's number plus one (0: the slot is free)
  // and the key's canonical hash folded to 32 bits.
  struct Slot {
    std::uint32_t hash;
    std::uint32_t entry;
  };
  // The keys of a table and their index. Never changed once a table holds
  // them; the Builder reuses their memory only when nothing else holds them.
  struct Keys {
    FlatArray<char> bytes;
    FlatArray<std::uint32_t> ends;  // end of key i in `bytes`
    FlatArray<Slot> slots;          // a power of two, at most half in use
    // Some key was written with escapes in its file, so a key's bytes in
    // the file may differ from its text here.
    bool escaped = false;

    std::string_view at(std::size_t i) const {
      const std::uint32_t begin = i == 0 ? 0 : ends[i - 1];
      return std::string_view(bytes.data() + begin, ends[i] - begin);
    }
    // The entry whose key is canonically equal to `key`, if any.
    std::optional<std::uint32_t> find(std::string_view key, std::uint32_t hash) const;
    // Fills `slots` from the keys' hashes (hashOf, one per key); false,
    // leaving them incomplete, if two keys are canonically equal.
    bool index(std::span<const std::uint32_t> hashes);
  };
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

  static std::uint32_t hashOf(std::string_view key);
  // A key's canonical hash (text::canonicalHash) folded to 32 bits.
  static std::uint32_t folded(std::uint64_t canonicalHash) {
    return static_cast<std::uint32_t>(canonicalHash ^ (canonicalHash >> 32));
  }
  // The entry whose key is canonically equal to `key`, if any. An empty
  // table answers without hashing: a first load diffs a million keys
  // against one.
  std::optional<std::uint32_t> findIndex(std::string_view key) const {
    if (!keys_ || empty()) return std::nullopt;
    return keys_->find(key, hashOf(key));
  }
  // The statuses of this table and of `previous`, numbered so that two
  // statuses have the same number exactly when they are canonically equal.
  struct StatusClasses {
    std::vector<std::uint32_t> mine;      // by index into statuses_
    std::vector<std::uint32_t> previous;  // by index into previous.statuses_
  };
  StatusClasses classifyStatuses(const StatusTable& previous) const;

  std::shared_ptr<Keys> keys_;         // null for a table built from nothing
  FlatArray<std::uint32_t> statusOf_;  // status of key i: index into statuses_
  std::vector<std::string> statuses_;
};

template <class Change>
void StatusTable::diff(const StatusTable& previous, Change&& change) const {
  const StatusClasses classes = classifyStatuses(previous);
  const auto sameStatus = [&](std::size_t mine, std::size_t theirs) {
    return classes.mine[statusOf_[mine]] == classes.previous[previous.statusOf_[theirs]];
  };
  const std::size_t n = size();
  const std::size_t m = previous.size();
  if (keys_ && keys_ == previous.keys_) {
    // The same keys at the same places: only statuses may differ.
    for (std::size_t i = 0; i < n; ++i) {
      if (!sameStatus(i, i)) change(keyAt(i), statusAt(i));
    }
    return;
  }
  // Which of the previous entries were matched. Left empty while every key
  // so far stood at its previous place: entries 0 to i-1 of both tables were
  // then matched with each other.
  std::vector<bool> seen;
  for (std::size_t i = 0; i < n; ++i) {
    const std::string_view k = keyAt(i);
    std::optional<std::uint32_t> j;
    if (i < m && previous.keyAt(i) == k) {
      j = static_cast<std::uint32_t>(i);  // same place, same bytes
    } else {
      if (seen.empty() && m > 0) {
        seen.assign(m, false);
        std::fill_n(seen.begin(), std::min(i, m), true);
      }
      j = previous.findIndex(k);
    }
    if (j) {
      if (!seen.empty()) seen[*j] = true;
      if (sameStatus(i, *j)) continue;
    }
    change(k, statusAt(i));
  }
  for (std::size_t j = 0; j < m; ++j) {
    const bool matched = seen.empty() ? j < n : seen[j];
    if (!matched) change(previous.keyAt(j), std::string_view());
  }
}

}  // namespace tessvik
