// The items a file manager asked about, held up to a bound, the least
// recently asked let go first: a file manager asks again and again about the
// items it shows, and never says which ones it stopped showing.
#pragma once

#include <cstddef>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tessvik {

// One thread at a time. Memory: each key held is stored once, in a list node,
// with an index entry pointing at it; at most maxItems of them. Nothing here
// throws but std::bad_alloc.
class RecentlyAsked {
 public:
  explicit RecentlyAsked(std::size_t maxItems) : maxItems_(maxItems) {}
  RecentlyAsked(const RecentlyAsked&) = delete;
  RecentlyAsked& operator=(const RecentlyAsked&) = delete;

  // What holding a key did: whether it was new, and the key let go to make
  // room for it, if any.
  struct Held {
    bool isNew = false;
    std::optional<std::string> letGo;
  };

  // Holds `key` as the most recently asked. A bound of 0 holds nothing.
  Held hold(std::string_view key);
  bool contains(std::string_view key) const { return index_.contains(key); }

 private:
  std::size_t maxItems_;
  // The keys held, most recently asked first, and where each is in it.
  std::list<std::string> asked_;
  std::unordered_map<std::string_view, std::list<std::string>::iterator> index_;
};

}  // namespace tessvik
