#include "kit/key_set.h"

#include <algorithm>

namespace tessvik::kit {

std::string_view KeySet::keyAt(std::size_t index) const {
  const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
  return std::string_view(keys_.data() + begin, ends_[index] - begin);
}

constexpr int kIndexBits = 31;

void KeySet::add(std::string_view key) {
  const std::uint64_t hash = hasher_.hash(key);
  hashes_.push_back((hash >> kIndexBits << kIndexBits) | ends_.size());
  keys_.append(key.data(), key.size());
  ends_.push_back(keys_.size());
}

namespace {

// Hashes spread into 4096 buckets by their top bits, each bucket small
// enough to stay in the cache: bucket b is spread[starts[b], starts[b + 1]).
struct Buckets {
  FlatArray<std::uint64_t> spread;
  std::vector<std::size_t> starts;
};

Buckets spreadByTopBits(const FlatArray<std::uint64_t>& hashes) {
  constexpr int kBucketBits = 12;
  Buckets buckets;
  std::vector<std::size_t>& starts = buckets.starts;
  starts.assign((std::size_t{1} << kBucketBits) + 1, 0);
  for (std::uint64_t h : hashes) ++starts[(h >> (64 - kBucketBits)) + 1];
  for (std::size_t b = 1; b < starts.size(); ++b) starts[b] += starts[b - 1];
  buckets.spread.resizeForOverwrite(hashes.size());
  std::vector<std::size_t> next(starts.begin(), starts.end() - 1);
  for (std::uint64_t h : hashes) buckets.spread[next[h >> (64 - kBucketBits)]++] = h;
  return buckets;
}

// `hashes` sorted: spread into buckets, then each bucket sorted on its own.
FlatArray<std::uint64_t> sortedCopy(const FlatArray<std::uint64_t>& hashes) {
  Buckets buckets = spreadByTopBits(hashes);
  for (std::size_t b = 0; b + 1 < buckets.starts.size(); ++b) {
    std::sort(buckets.spread.data() + buckets.starts[b],
              buckets.spread.data() + buckets.starts[b + 1]);
  }
  return std::move(buckets.spread);
}

}  // namespace

bool KeyHashes::anyShared() {
  // Spread into buckets as sortedCopy() does; then each bucket, which stays
  // in the cache, through a small table of its own (open addressing on the
  // next bits, 0 for a free slot): no sorting.
  const Buckets buckets = spreadByTopBits(hashes_);
  const FlatArray<std::uint64_t>& spread = buckets.spread;
  const std::vector<std::size_t>& starts = buckets.starts;
  hashes_ = FlatArray<std::uint64_t>();
  std::vector<std::uint64_t> table;
  for (std::size_t b = 0; b + 1 < starts.size(); ++b) {
    std::size_t size = 16;
    while (size < 2 * (starts[b + 1] - starts[b])) size *= 2;
    table.assign(size, 0);
    bool zero = false;
    for (std::size_t i = starts[b]; i < starts[b + 1]; ++i) {
      const std::uint64_t h = spread[i];
      if (h == 0) {
        if (zero) return true;
        zero = true;
        continue;
      }
      std::size_t slot = (h >> 20) & (size - 1);
      for (; table[slot] != 0; slot = (slot + 1) & (size - 1)) {
        if (table[slot] == h) return true;
      }
      table[slot] = h;
    }
  }
  return false;
}

std::vector<KeySet::Repeat> KeySet::repeats() const {
  const FlatArray<std::uint64_t> sorted = sortedCopy(hashes_);
  constexpr std::uint64_t kIndex = (std::uint64_t{1} << kIndexBits) - 1;
  std::vector<Repeat> found;
  // Among keys of one hash, in the order taken, each against those before
  // it: the first it equals is the one it repeats.
  for (std::size_t run = 0; run < sorted.size();) {
    std::size_t end = run + 1;
    while (end < sorted.size() && (sorted[end] >> kIndexBits) == (sorted[run] >> kIndexBits)) ++end;
    for (std::size_t i = run + 1; i < end; ++i) {
      const std::size_t index = sorted[i] & kIndex;
      const std::string_view key = keyAt(index);
      for (std::size_t j = run; j < i; ++j) {
        const std::size_t earlierIndex = sorted[j] & kIndex;
        const std::string_view earlier = keyAt(earlierIndex);
        if (!text::canonicallyEqual(earlier, key)) continue;
        std::string reason = "redit la clé « " + std::string(earlier) + " » (élément n° " +
                             std::to_string(earlierIndex + 1) + ")";
        if (earlier != key) reason += " dans une autre forme Unicode";
        reason += " : c'est le même élément, seul son dernier statut compte";
        found.push_back(Repeat{index, std::move(reason)});
        break;
      }
    }
    run = end;
  }
  std::sort(found.begin(), found.end(),
            [](const Repeat& a, const Repeat& b) { return a.index < b.index; });
  return found;
}

}  // namespace tessvik::kit
