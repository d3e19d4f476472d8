// What a badge state file may hold, for the writer and for `tessvik-badges
// check`: beyond what the extension's decoder refuses (not UTF-8, not JSON,
// a status that is not a string), what it reads but can never show. A
// writer refuses it; check warns about it. Each rule gives its reason, in
// French, as the end of a sentence about the item ("elle commence par
// « / »").
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/unicode.h"

namespace tessvik::kit {

// The statuses with a badge, and "" for none.
inline constexpr std::string_view kStatuses[] = {"synced", "syncing", "conflict", "error", ""};

// Why the root `root` holds nothing: it must be an absolute path, with no
// NUL (a path cannot hold one).
std::optional<std::string> rootProblem(std::string_view root);

// Why the item keyed `key` (its path relative to the root) could never get
// a badge: a "/" at either end, an empty, "." or ".." component, or a NUL.
// "" is the root's own item.
std::optional<std::string> keyProblem(std::string_view key);

// Why `status` shows no badge although it is not "": anything but the
// statuses above is handed to the Finder, which knows no such badge.
std::optional<std::string> statusProblem(std::string_view status);

// The keys of one file, to find an item written twice, as such or in
// another Unicode form (canonically equivalent): both are the same item,
// and the extension keeps the last status. Holds a copy of every key (the
// size of the keys, and some 40 bytes more each). Not thread-safe.
class KeySet {
 public:
  struct Repeat {
    std::size_t index;     // of the key added before, counting from 0
    std::string_view key;  // that key, valid until the next add()
    std::string reason;    // French: "redit la clé « … » …"
  };
  // Adds `key` (valid UTF-8), or says which key added before it repeats.
  std::optional<Repeat> add(std::string_view key);

 private:
  // One key in `keys_`: its hash, its index, its size, then its bytes.
  struct Header {
    std::uint64_t hash;
    std::uint64_t index;
    std::uint64_t size;
  };
  Header headerAt(std::size_t offset) const;
  void grow();

  text::PathHasher hasher_;
  std::string keys_;
  std::vector<std::size_t> slots_;  // offset in keys_ + 1; 0 when empty
  std::size_t count_ = 0;
};

}  // namespace tessvik::kit
