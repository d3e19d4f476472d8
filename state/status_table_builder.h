// Building a StatusTable from the "files" member of a badge state file, in
// file order, as fast as the file is parsed: a re-read of a million items
// that mostly kept their keys, or a first load whose keys are written over
// the very bytes they were read from.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/bytes.h"
#include "base/error.h"
#include "base/flat_array.h"
#include "state/status_table.h"
#include "text/unicode.h"

namespace tessvik {

// Builds a table in file order. A key canonically equal to one added before
// replaces it (the last one written wins, at the first one's place), as a
// JSON object read into a map would. Not thread-safe; used once.
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
  void writeKeysOver(FlatArray<char>& source) { keyBytes_.writeOver(source); }
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
    if (!previous_.matchWritten(written)) return false;
    table_.statusOf_.push_back(statuses_.intern(status));
    return true;
  }
  // Adds a key, unescaped; `escaped`: the file wrote it with escapes. An
  // Error (French) when the table cannot hold more: 4 GiB of keys or 2^31
  // entries. The builder is then of no further use.
  Result<void> add(std::string_view key, std::string_view status, bool escaped = false) {
    if (!previous_.match(key)) return addOwn(key, status, escaped);
    table_.statusOf_.push_back(statuses_.intern(status));
    return {};
  }

  StatusTable finish() &&;

 private:
  // Keys' ends must fit in 32 bits.
  static constexpr std::size_t kMaxKeyBytes = 0xFFFFFFFFu;

  // The keys of the previous table, followed in order while the keys added
  // are the same, byte for byte.
  class PreviousKeys {
   public:
    void follow(const StatusTable& like);
    // Stops following: match() is false from now on.
    void stop() { ends_ = {}; }
    // Whether `key` is the next key of the previous table: it is then passed.
    bool match(std::string_view key) {
      if (next_ >= ends_.size()) return false;
      // Tens of megabytes of keys are read in order: ask for them ahead,
      // past the reach of the hardware's own prefetching.
      __builtin_prefetch(bytes_.data() +
                         std::min<std::size_t>(offset_ + kPrefetchDistance, bytes_.size()));
      const std::uint32_t end = ends_[next_];
      if (key.size() != end - offset_ ||
          !bytes::same(bytes_.data() + offset_, key.data(), key.size())) {
        return false;
      }
      offset_ = end;
      ++next_;
      return true;
    }
    // The same for a key as the file writes it, which is its text only if
    // no key of the previous table was written with escapes.
    bool matchWritten(std::string_view written) { return !escaped_ && match(written); }
    // The previous table, if it has keys.
    const StatusTable* table() const { return like_; }
    // Whether every key of the previous table was matched.
    bool matchedAll() const { return like_ != nullptr && next_ == like_->size(); }
    // The keys matched so far: the first ones of the previous table.
    std::size_t matched() const { return next_; }
    std::string_view matchedBytes() const { return bytes_.substr(0, offset_); }

   private:
    static constexpr std::size_t kPrefetchDistance = 1024;
    const StatusTable* like_ = nullptr;
    bool escaped_ = false;  // some key was written with escapes
    std::string_view bytes_;
    std::span<const std::uint32_t> ends_;
    std::size_t next_ = 0;
    std::uint32_t offset_ = 0;
  };

  // Where the bytes of the table's own keys go: into memory of their own
  // (fresh, or a recycled table's, which is already touched), or over the
  // bytes they are read from (writeKeysOver).
  class KeyBytes {
   public:
    void recycle(FlatArray<char>&& memory);
    void writeOver(FlatArray<char>& source) { over_ = &source; }
    // Chooses where the keys go, sized for `expected` bytes of keys, and
    // puts `first` there, the bytes of the keys before.
    void start(std::string_view first, std::size_t expected);
    // The end of `key` once appended; nothing when the keys would pass
    // 4 GiB (or the bytes they are written over: a broken promise). Inline:
    // called once per key of a first load.
    std::optional<std::uint32_t> append(std::string_view key) {
      if (!writingOver_) return appendOwn(key);
      // The key's text ends where its bytes in the file end, or before: the
      // bound only guards against a caller that broke its promise.
      const std::size_t end = overSize_ + key.size();
      if (end > over_->size() || end > kMaxKeyBytes) return std::nullopt;
      if (!key.empty()) std::memmove(over_->data() + overSize_, key.data(), key.size());
      overSize_ = end;
      return static_cast<std::uint32_t>(end);
    }
    FlatArray<char> take();

   private:
    std::optional<std::uint32_t> appendOwn(std::string_view key);
    FlatArray<char> own_;
    FlatArray<char>* over_ = nullptr;
    bool writingOver_ = false;
    std::size_t overSize_ = 0;  // bytes of keys written over *over_
  };

  // Status texts numbered in order of first appearance.
  class StatusInterner {
   public:
    std::uint32_t intern(std::string_view status) {
      // Consecutive items mostly share their status.
      if (last_ != kNone && status.size() == lastText_.size() &&
          bytes::same(lastText_.data(), status.data(), status.size())) {
        return last_;
      }
      return internNew(status);
    }
    std::vector<std::string> take() { return std::move(statuses_); }

   private:
    std::uint32_t internNew(std::string_view status);
    std::vector<std::string> statuses_;
    // Status text -> number, once there are too many statuses to scan.
    std::unordered_map<std::string, std::uint32_t> ids_;
    std::uint32_t last_ = kNone;
    std::string_view lastText_;  // statuses_[last_]
  };

  Result<void> addOwn(std::string_view key, std::string_view status, bool escaped);
  // Gives the table keys of its own, the previous table's matched so far
  // copied first.
  void startOwnKeys();
  void mergeRepeatedKeys();

  StatusTable table_;  // its statusOf_, as the keys come
  text::PathHasher hasher_;
  StatusInterner statuses_;
  PreviousKeys previous_;
  // The table's own keys, once they differ from the previous table's: their
  // bytes, then their ends and index (own_), and each key's hash, taken as
  // it is added while its bytes are in cache, to build the index at the end.
  bool ownStarted_ = false;
  KeyBytes keyBytes_;
  std::shared_ptr<Keys> own_;
  FlatArray<std::uint32_t> hashes_;
  std::size_t expectedEntries_ = 0;
  std::size_t expectedKeyBytes_ = 0;
};

}  // namespace tessvik
