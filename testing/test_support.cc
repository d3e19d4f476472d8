#include "testing/test_support.h"

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

void ExtensionTest::start() {
  realHome_ = std::make_unique<RealHome>(users_);
  Host host{{files_, runLoop_, logger_, users_, workspace_, memory_}, controller_, images_};
  extension_ = std::make_unique<FinderSync>(host, finderStateFolder(realHome_->path()));
}

}  // namespace tessvik::testing
