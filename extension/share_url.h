// The URL that hands an item to the sync client's application.
#pragma once

#include <string>
#include <string_view>

namespace tessvik {

// tessvik://share?path=VALUE, VALUE being `path` in UTF-8 with every byte
// other than an unreserved character (letters, digits, "-", ".", "_", "~")
// or "/" written as "%" and two upper-case hex digits. A space is "%20",
// never "+"; "&", "=", "+", "#" and "%" are escaped too, so that any query
// decoder gives the exact path back.
std::string shareUrl(std::string_view path);

}  // namespace tessvik
