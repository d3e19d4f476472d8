#include "host/glib/glib_logger.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace tessvik {
namespace {

TEST(GlibLoggerTest, EachMessageIsOneStructuredEntryWithTheExtensionsIdentity) {
  // Each entry as its level and its fields, "KEY=value;" sorted by key.
  std::vector<std::pair<GLogLevelFlags, std::string>> entries;
  GlibLogger logger({"com.example.tessvik", "badges"}, [&](GLogLevelFlags level,
                                                           const GLogField* fields, gsize count) {
    std::set<std::string> sorted;
    for (gsize i = 0; i < count; ++i) {
      ASSERT_EQ(fields[i].length, -1);
      sorted.insert(std::string(fields[i].key) + "=" + static_cast<const char*>(fields[i].value));
    }
    std::string& text = entries.emplace_back(level, "").second;
    for (const std::string& field : sorted) text += field + ";";
  });
  logger.log(LogLevel::kDefault, "état chargé : %ld élément(s)", {3L});
  logger.log(LogLevel::kError, "état illisible (%{public}s)", {std::string_view("badges.json")});
  const auto entry = [](const char* message, const char* priority) {
    return std::string("GLIB_DOMAIN=com.example.tessvik;MESSAGE=") + message +
           ";PRIORITY=" + priority +
           ";TESSVIK_CATEGORY=badges;TESSVIK_SUBSYSTEM=com.example.tessvik;";
  };
  // Progress at GLib's info level; an error at its warning level: its error
  // level would abort.
  EXPECT_EQ(entries,
            (decltype(entries){{G_LOG_LEVEL_INFO, entry("état chargé : 3 élément(s)", "6")},
                               {G_LOG_LEVEL_WARNING, entry("état illisible (badges.json)", "3")}}));
}

}  // namespace
}  // namespace tessvik
