// Reads one JSON line of tessvik-finder's output for a test.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tessvik::testing {

// The members of the JSON object `line`, by name: a string member as its
// text, any other as compact JSON. Nothing when `line` is not one valid JSON
// text (UTF-8 included) holding an object.
std::optional<std::map<std::string, std::string>> jsonMembers(std::string_view line);

}  // namespace tessvik::testing
