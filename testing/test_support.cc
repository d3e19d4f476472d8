#include "testing/test_support.h"

namespace tessvik {

void PrintTo(const RecordingLogger::Line& line, std::ostream* out) {
  *out << (line.level == LogLevel::kError ? "error: " : "default: ") << line.message;
}

void PrintTo(const RecordingController::BadgePush& push, std::ostream* out) {
  *out << "\"" << push.identifier << "\" -> " << push.path;
}

}  // namespace tessvik

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

std::string badgeJson(const std::string& root,
                      const std::vector<std::pair<std::string, std::string>>& files) {
  std::string out = "{\"root\":" + quoted(root) + ",\"files\":{";
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (i > 0) out += ",";
    out += quoted(files[i].first) + ":" + quoted(files[i].second);
  }
  return out + "}}";
}

void ExtensionTest::start() {
  realHome_ = std::make_unique<RealHome>(users_);
  Host host{controller_, images_, files_, runLoop_, logger_, users_, workspace_};
  extension_ = std::make_unique<FinderSync>(host, *realHome_);
}

}  // namespace tessvik::testing
