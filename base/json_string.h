// A string as JSON writes it, for the programs that write JSON by hand
// (a badge state file, the simulated Finder's events).
#pragma once

#include <string>
#include <string_view>

namespace tessvik {

// Appends `utf8` to `out` between double quotes, with '"', '\\' and the
// control characters escaped; every other byte, UTF-8 included, as it is.
// `utf8` must be valid UTF-8 for the result to be valid JSON.
void appendJsonQuoted(std::string& out, std::string_view utf8);

}  // namespace tessvik
