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
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/flat_array.h"

namespace tessvik {
namespace detail {

// Whether the n bytes at a and b are equal: inline, a word at a time, since
// keys and statuses are short.
inline bool sameBytes(const char* a, const char* b, std::size_t n) {
  const auto load8 = [](const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    return word;
  };
  if (n >= 8) {
    for (std::size_t i = 0; i + 8 < n; i += 8) {
      if (load8(a + i) != load8(b + i)) return false;
    }
    return load8(a + n - 8) == load8(b + n - 8);
  }
  if (n >= 4) {
    std::uint32_t a0, b0, a1, b1;
    std::memcpy(&a0, a, 4);
    std::memcpy(&b0, b, 4);
    std::memcpy(&a1, a + n - 4, 4);
    std::memcpy(&b1, b + n - 4, 4);
    return a0 == b0 && a1 == b1;
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

}  // namespace detail

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

// Builds a table in file order. A key canonically equal to one added before
// replaces it (the last one written wins, at the first one's place), as a
// JSON object read into a map would.
class StatusTable::Builder {
 public:
  Builder() = default;
  // Reuses the memory of a table that is no longer needed.
  explicit Builder(StatusTable&& recycled);

  // Announces that the keys to come are likely those of `like`, in the same
  // order (the file's previous state). While they are, they are compared
  // rather than copied, and the table shares them. Call before add();
  // `like` must outlive the builder.
  void resemble(const StatusTable& like);
  // Announces that the keys to come lie in order in `source`, the bytes they
  // are read from: each key added is no longer than the bytes it takes
  // there, which begin at or after the end of the previous key's, and the
  // caller reads nothing of `source` before the end of a key once it has
  // added it. The keys are then written over the front of `source`, and
  // finish() takes `source` for them (leaving it empty), rather than copying
  // them into fresh memory: for a file read for the first time, touching
  // that memory costs about as much as parsing the file. Not so when the
  // builder was given a recycled table's key memory, which is already
  // touched. Call before add(); `source` must outlive the builder.
  void writeKeysOver(FlatArray<char>& source) { over_ = &source; }
  // Announces that the keys come from a file of `fileBytes` bytes, so that
  // the arrays are allocated once: sized for `like`'s keys if there is one,
  // else for as many keys as such a file could hold (address space that is
  // never touched costs nothing, and what is left over is given back by
  // finish()). A hint: any number of keys may come. Call after resemble().
  void expectFileOf(std::size_t fileBytes);
  // The next key as the file writes it, between its quotes, when that is
  // exactly `like`'s key at this place: the entry is added, sharing the key,
  // and the key needs no unescaping (`like` holds no key that was written
  // with escapes). Otherwise adds nothing and answers false.
  bool addIfUnchanged(std::string_view written, std::string_view status) {
    if (!sharing_ || likeEscaped_ || likeNext_ >= likeEnds_.size()) return false;
    return addShared(written, status);
  }
  // Adds a key, unescaped; `escaped`: the file wrote it with escapes. False
  // when the table cannot hold more (4 GiB of keys or 2^31 entries).
  bool add(std::string_view key, std::string_view status, bool escaped = false) {
    if (sharing_ && likeNext_ < likeEnds_.size() && addShared(key, status)) return true;
    return addOwn(key, status, escaped);
  }
  StatusTable finish() &&;

 private:
  bool addShared(std::string_view key, std::string_view status) {
    // A re-read of a large file comes here a million times, mostly with the
    // key at the same place in `like_` and the status of the item before:
    // that case is inline.
    // `like_`'s keys are read in order, tens of megabytes of them: ask for
    // them ahead, past the reach of the hardware's own prefetching.
    __builtin_prefetch(likeBytes_.data() +
                       std::min<std::size_t>(likeOffset_ + kPrefetchDistance, likeBytes_.size()));
    const std::uint32_t end = likeEnds_[likeNext_];
    if (key.size() != end - likeOffset_ ||
        !detail::sameBytes(likeBytes_.data() + likeOffset_, key.data(), key.size())) {
      return false;
    }
    table_.statusOf_.push_back(intern(status));
    likeOffset_ = end;
    ++likeNext_;
    return true;
  }
  std::uint32_t intern(std::string_view status) {
    // Consecutive items mostly share their status.
    if (lastStatus_ != kNone && status.size() == lastText_.size() &&
        detail::sameBytes(lastText_.data(), status.data(), status.size())) {
      return lastStatus_;
    }
    return internNew(status);
  }
  std::uint32_t internNew(std::string_view status);
  static constexpr std::size_t kPrefetchDistance = 1024;
  bool addOwn(std::string_view key, std::string_view status, bool escaped);
  // Gives the table keys of its own, sized for what is expected: `like`'s
  // keys so far, copied.
  void stopSharing();
  void mergeRepeatedKeys();

  StatusTable table_;
  std::shared_ptr<Keys> own_;  // the keys, once not shared with `like_`
  // The buffer the keys may be written over (writeKeysOver), whether they
  // are, and how many bytes of it they take so far.
  FlatArray<char>* over_ = nullptr;
  bool writingOver_ = false;
  std::size_t overSize_ = 0;
  const StatusTable* like_ = nullptr;
  bool sharing_ = false;      // every key so far is `like_`'s at the same place
  bool likeEscaped_ = false;  // `like_` has keys written with escapes
  bool ownReady_ = false;     // own_ is allocated and sized
  // `like_`'s keys, and where its next key begins, while sharing.
  std::string_view likeBytes_;
  std::span<const std::uint32_t> likeEnds_;
  std::size_t likeNext_ = 0;
  std::uint32_t likeOffset_ = 0;
  std::size_t expectedEntries_ = 0;
  std::size_t expectedKeyBytes_ = 0;
  // hashOf each key of the table's own, taken as it is added, while its
  // bytes are in cache: the index is built from these at the end.
  FlatArray<std::uint32_t> hashes_;
  // Status text -> index, once there are too many statuses to scan.
  std::unordered_map<std::string, std::uint32_t> statusIds_;
  std::uint32_t lastStatus_ = kNone;
  std::string_view lastText_;  // statuses_[lastStatus_]
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
