#include "state/state_test_support.h"

#include <algorithm>

#include "base/json_string.h"

namespace tessvik::testing {

std::string badgeJson(const std::string& root, const Entries& files) {
  std::string out = "{\"root\":";
  appendJsonQuoted(out, root);
  out += ",\"files\":{";
  for (const auto& [key, status] : files) {
    appendJsonQuoted(out, key);
    out += ':';
    appendJsonQuoted(out, status);
    out += ',';
  }
  if (!files.empty()) out.pop_back();
  return out + "}}";
}

Entries diff(const StatusTable& next, const StatusTable& previous) {
  Entries changes;
  next.diff(previous, [&](std::string_view key, std::string_view status) {
    changes.emplace_back(key, status);
  });
  std::sort(changes.begin(), changes.end());
  return changes;
}

}  // namespace tessvik::testing
