#include "testing/test_support.h"

#include <algorithm>

namespace tessvik::testing {
namespace {

std::string quoted(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

std::string badgeJson(const std::string& root, const Entries& files) {
  std::string out = "{\"root\":" + quoted(root) + ",\"files\":{";
  for (const auto& [key, status] : files) out += quoted(key) + ":" + quoted(status) + ",";
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
  Host host{controller_, images_, files_, runLoop_, logger_, users_, workspace_};
  extension_ = std::make_unique<FinderSync>(host, finderStateFolder(realHome_->path()));
}

}  // namespace tessvik::testing
