#include "hosts/badges/check.h"

#include <algorithm>
#include <map>

#include "extension/messages.h"
#include "host/logger.h"
#include "hosts/badges/written_layout.h"
#include "kit/badge_file_rules.h"
#include "kit/badge_file_writer.h"
#include "kit/key_set.h"
#include "state/badge_file.h"
#include "state/badge_file_decoder.h"
#include "text/unicode.h"

namespace tessvik::badges {
namespace {

std::string quoted(std::string_view text) {
  return "« " + text::toValidUtf8(text) + " »";
}

std::string nameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Warnings about the items as written: keys that no request can match,
// statuses without a badge, one path spelled two ways.
void checkItems(std::string_view bytes, std::vector<std::string>& warnings) {
  const WrittenLayout layout = readLayout(bytes);
  const Places places(bytes);
  const auto at = [&](const WrittenItem& item) {
    const Place place = places.of(item.offset);
    return "ligne " + std::to_string(place.line) + ", colonne " + std::to_string(place.column) +
           " : ";
  };
  kit::KeySet keys;
  std::map<std::string, std::pair<const WrittenItem*, std::size_t>> unknownStatuses;
  // A client that gets one key wrong usually gets them all wrong: the first
  // ones say enough.
  constexpr std::size_t kMaxItemWarnings = 20;
  std::size_t itemWarnings = 0;
  const auto warn = [&](std::string text) {
    if (itemWarnings++ < kMaxItemWarnings) warnings.push_back(std::move(text));
  };
  for (const WrittenItem& item : layout.items) {
    if (std::optional<std::string> problem = kit::keyProblem(item.key)) {
      warn(at(item) + "la clé " + quoted(item.key) + " n'aura jamais de pastille : " + *problem);
    }
    if (kit::statusProblem(item.status)) {
      auto [it, added] = unknownStatuses.try_emplace(item.status, &item, 0);
      ++it->second.second;
    }
    keys.add(item.key);
  }
  for (const kit::KeySet::Repeat& repeat : keys.repeats()) {
    const WrittenItem& item = layout.items[repeat.index];
    warn(at(item) + "la clé " + quoted(item.key) + " " + repeat.reason);
  }
  if (itemWarnings > kMaxItemWarnings) {
    warnings.push_back("… et " + std::to_string(itemWarnings - kMaxItemWarnings) +
                       " autre(s) clé(s) de ce genre");
  }
  for (const auto& [status, first] : unknownStatuses) {
    warnings.push_back(at(*first.first) + std::to_string(first.second) +
                       " élément(s) : " + *kit::statusProblem(status));
  }
}

}  // namespace

CheckReport checkFile(FileSystem& files, const std::string& path) {
  CheckReport report;
  const std::string name = nameOf(path);
  FlatArray<char> bytes;
  Result<void> read = files.readFile(path, bytes, BadgeFileDecoder::kPadding);
  const std::string_view content(bytes.data(), read ? bytes.size() : 0);
  // The decoder may write over the bytes it decodes: it gets a copy.
  BadgeFileDecoder decoder;
  Result<BadgeFile> decoded = read ? decoder.decode(content) : Result<BadgeFile>(read.error());
  if (!decoded) {
    report.error =
        formatLogMessage(messages::kUnreadableState, {name, decoded.error().description});
    return report;
  }
  report.root = decoded.value().root;
  report.count = decoded.value().files.size();
  if (!tessvik::isBadgeStateFileName(name)) {
    report.warnings.push_back("le nom " + quoted(name) +
                              " n'est pas lu par l'extension : il doit commencer par « badges » "
                              "et finir par « .json »");
  }
  if (std::optional<std::string> problem = kit::rootProblem(report.root)) {
    report.warnings.push_back("la racine " + quoted(report.root) +
                              " ne contient rien : " + *problem);
  }
  checkItems(content, report.warnings);
  return report;
}

}  // namespace tessvik::badges
