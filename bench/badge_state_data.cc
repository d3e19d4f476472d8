#include "bench/badge_state_data.h"

#include <array>
#include <set>
#include <string_view>
#include <vector>

namespace tessvik::bench {
namespace {

// splitmix64: small, fast and the same everywhere.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
  template <std::size_t N>
  std::string_view pick(const std::array<std::string_view, N>& words) {
    return words[below(N)];
  }

 private:
  std::uint64_t state_;
};

constexpr std::array<std::string_view, 10> kTopFolders = {
    "Documents", "Photos",  "Projects", "Music", "Desktop",
    "Archive",   "Clients", "Design",   "Code",  "Shared"};
constexpr std::array<std::string_view, 16> kFolders = {
    "2019",    "2020",     "2021",   "2022",   "2023",     "2024",   "drafts", "final",
    "backups", "invoices", "assets", "export", "meetings", "source", "old",    "review"};
constexpr std::array<std::string_view, 12> kFileNames = {"report", "IMG",     "notes",  "invoice",
                                                         "scan",   "track",   "sketch", "budget",
                                                         "module", "summary", "slides", "contract"};
constexpr std::array<std::string_view, 10> kExtensions = {".pdf", ".jpg", ".md",  ".cc",   ".xlsx",
                                                          ".png", ".mp3", ".txt", ".docx", ".key"};
// Names with accented or non-Latin letters, precomposed as most writers do.
constexpr std::array<std::string_view, 16> kAccentedNames = {
    "Réunions",  "Été 2023",   "Données", "Überprüfung", "Noël", "Mémoires", "Cañón", "Ångström",
    "Документы", "Фотографии", "Έγγραφα", "写真",        "書類", "사진",     "문서",  "Ça avance"};
// The same names decomposed, as HFS+ stores them (combining marks after the
// base letter; Hangul as conjoining jamo).
constexpr std::array<std::string_view, 16> kDecomposedNames = {"Re\u0301unions",
                                                               "E\u0301te\u0301 2023",
                                                               "Donne\u0301es",
                                                               "U\u0308berpru\u0308fung",
                                                               "Noe\u0308l",
                                                               "Me\u0301moires",
                                                               "Can\u0303o\u0301n",
                                                               "A\u030Angstro\u0308m",
                                                               "Документы",
                                                               "Фотографии",
                                                               "Ε\u0301γγραφα",
                                                               "写真",
                                                               "書類",
                                                               "\u1109\u1161\u110C\u1175\u11AB",
                                                               "\u1106\u116E\u11AB\u1109\u1165",
                                                               "C\u0327a avance"};

constexpr std::size_t kAccentOdds = 31;

constexpr std::array<std::string_view, 5> kStatuses = {"synced", "syncing", "conflict", "error",
                                                       ""};

std::string_view pickStatus(Random& random) {
  const std::size_t roll = random.below(100);
  if (roll < 90) return kStatuses[0];
  if (roll < 95) return kStatuses[1];
  if (roll < 96) return kStatuses[2];
  if (roll < 97) return kStatuses[3];
  return kStatuses[4];
}

}  // namespace

GeneratedBadgeFile generateBadgeFile(const std::string& root, std::size_t entries,
                                     std::uint64_t seed) {
  Random random(seed);
  GeneratedBadgeFile out;
  out.json.reserve(entries * 64 + root.size() + 64);
  out.json += "{\n  \"root\": \"";
  out.json += root;
  out.json += "\",\n  \"files\": {";

  std::vector<std::string> folder;  // the current folder, as components
  std::size_t fileNumber = 0;
  std::set<std::string_view> listedTops;
  auto emit = [&](const std::string& key, std::string_view status) {
    out.json += out.entries == 0 ? "\n    \"" : ",\n    \"";
    out.json += key;
    out.json += "\": \"";
    if (out.entries == entries / 2) {
      out.middleStatusOffset = out.json.size() - 1;
      status = kStatuses[0];
    }
    out.json += status;
    out.json += '"';
    ++out.entries;
  };
  auto joined = [&](std::string_view last) {
    std::string path;
    for (const std::string& component : folder) {
      if (!path.empty()) path += '/';
      path += component;
    }
    if (!last.empty()) {
      if (!path.empty()) path += '/';
      path += last;
    }
    return path;
  };
  // A name has letters beyond ASCII once in kAccentOdds, so that about one
  // path in ten has some; one in five of those names is written decomposed.
  auto name = [&](std::string_view ascii) -> std::string {
    if (random.below(kAccentOdds) != 0) return std::string(ascii);
    const std::size_t which = random.below(kAccentedNames.size());
    return std::string(random.below(5) == 0 ? kDecomposedNames[which] : kAccentedNames[which]);
  };

  while (out.entries < entries) {
    // Now and then move to another folder: climb a few levels, then go down
    // into one or two new ones, each an entry of its own.
    if (folder.empty() || random.below(24) == 0) {
      folder.resize(folder.empty() ? 0 : random.below(folder.size()));
      const std::size_t down = folder.empty() ? 2 : 1 + random.below(2);
      for (std::size_t i = 0; i < down && out.entries < entries; ++i) {
        if (folder.empty()) {
          // The top folders come back again and again; each is listed once.
          const std::string_view top = random.pick(kTopFolders);
          folder.emplace_back(top);
          if (!listedTops.insert(top).second) continue;
        } else {
          folder.push_back(name(random.pick(kFolders)) + "-" + std::to_string(fileNumber++));
        }
        emit(joined(""), pickStatus(random));
      }
      continue;
    }
    std::string file = name(random.pick(kFileNames)) + "-" + std::to_string(fileNumber++);
    file += random.pick(kExtensions);
    emit(joined(file), pickStatus(random));
  }
  out.json += "\n  }\n}\n";
  return out;
}

}  // namespace tessvik::bench
