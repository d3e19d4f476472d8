// Which badges pushed by a reload go on to the Finder. Apple asks a Finder
// Sync extension not to badge items that the Finder has not shown yet: an
// item gets its first badge in answer to the Finder's own request, and later
// ones only once it has had one. A first load pushes every item of every
// file (a million for a large root, at every start of every copy of the
// extension); the Finder has asked about a few hundred of them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/file_url.h"
#include "host/recently_asked.h"
#include "text/unicode.h"

namespace tessvik::macos {

// Main thread only, as the controller that holds it. Memory: bounded, about
// 0.2 KB per item held. Nothing here throws but std::bad_alloc.
class BadgePushFilter {
 public:
  static constexpr std::size_t kMaxItems = 100'000;

  explicit BadgePushFilter(std::size_t maxItems = kMaxItems) : asked_(maxItems) {}

  // The Finder asked about `item`: pushes for it go on from now on, until
  // `maxItems` other items have been asked about since (the Finder asks
  // again about the items it shows whenever it shows them).
  void asked(const FileUrl& item) { asked_.hold(canonical(item.path())); }

  // Whether a push for `item` goes on to the Finder: an item it asked about,
  // under any Unicode spelling of its path, or a folder URL. A root's own
  // badge is pushed for the root's folder URL and never given on request, so
  // it must always go on; on a first load it is pushed before the folders to
  // observe are announced, so only its being a folder URL tells it apart. (A
  // key written with a trailing "/" is a folder URL too, and goes on with it.)
  bool passes(const FileUrl& item) const {
    if (item.isDirectory()) return true;
    const std::string& path = item.path();
    return text::isKnownNfc(path) ? asked_.contains(path) : asked_.contains(text::toNfc(path));
  }

 private:
  static std::string canonical(std::string_view path) {
    return text::isKnownNfc(path) ? std::string(path) : text::toNfc(path);
  }

  RecentlyAsked asked_;
};

}  // namespace tessvik::macos
