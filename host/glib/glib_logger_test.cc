#include "host/glib/glib_logger.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace tessvik {
namespace {

TEST(GlibLoggerTest, EachMessageIsOneStructuredEntryWithTheExtensionsIdentity) {
  std::vector<std::pair<GLogLevelFlags, std::map<std::string, std::string>>> entries;
  GlibLogger logger({"com.example.tessvik", "badges"}, [&](GLogLevelFlags level,
                                                           const GLogField* fields, gsize count) {
    auto& entry = entries.emplace_back(level, std::map<std::string, std::string>{});
    for (gsize i = 0; i < count; ++i) {
      ASSERT_EQ(fields[i].length, -1);
      entry.second[fields[i].key] = static_cast<const char*>(fields[i].value);
    }
  });
  logger.log(LogLevel::kDefault, "état chargé : %ld élément(s) sous %{public}s",
             {3L, std::string_view("/home/u/Sync")});
  logger.log(LogLevel::kError, "état illisible (%{public}s) : %{public}s",
             {std::string_view("badges.json"), std::string_view("fin de fichier inattendue")});
  const auto expected = [](const char* priority, const char* message) {
    return std::map<std::string, std::string>{{"GLIB_DOMAIN", "com.example.tessvik"},
                                              {"TESSVIK_SUBSYSTEM", "com.example.tessvik"},
                                              {"TESSVIK_CATEGORY", "badges"},
                                              {"PRIORITY", priority},
                                              {"MESSAGE", message}};
  };
  // Progress at GLib's info level; an error at its warning level: its error
  // level would abort.
  EXPECT_EQ(entries,
            (decltype(entries){
                {G_LOG_LEVEL_INFO, expected("6", "état chargé : 3 élément(s) sous /home/u/Sync")},
                {G_LOG_LEVEL_WARNING,
                 expected("3", "état illisible (badges.json) : fin de fichier inattendue")}}));
}

}  // namespace
}  // namespace tessvik
