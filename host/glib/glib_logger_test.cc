#include "host/glib/glib_logger.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace tessvik {
namespace {

struct Entry {
  GLogLevelFlags level;
  std::map<std::string, std::string> fields;
};

TEST(GlibLoggerTest, EachMessageIsOneStructuredEntryWithTheExtensionsIdentity) {
  std::vector<Entry> entries;
  GlibLogger logger({"com.example.tessvik", "badges"},
                    [&](GLogLevelFlags level, const GLogField* fields, gsize count) {
                      Entry entry{level, {}};
                      for (gsize i = 0; i < count; ++i) {
                        ASSERT_EQ(fields[i].length, -1);
                        entry.fields[fields[i].key] = static_cast<const char*>(fields[i].value);
                      }
                      entries.push_back(std::move(entry));
                    });
  logger.log(LogLevel::kDefault, "état chargé : %ld élément(s) sous %{public}s",
             {3L, std::string_view("/home/u/Sync")});
  logger.log(LogLevel::kError, "état illisible (%{public}s) : %{public}s",
             {std::string_view("badges.json"), std::string_view("fin de fichier inattendue")});

  ASSERT_EQ(entries.size(), 2u);
  const std::map<std::string, std::string> identity{{"GLIB_DOMAIN", "com.example.tessvik"},
                                                    {"TESSVIK_SUBSYSTEM", "com.example.tessvik"},
                                                    {"TESSVIK_CATEGORY", "badges"}};
  for (const Entry& entry : entries) {
    for (const auto& [key, value] : identity) EXPECT_EQ(entry.fields.at(key), value);
  }
  EXPECT_EQ(entries[0].level, G_LOG_LEVEL_MESSAGE);
  EXPECT_EQ(entries[0].fields.at("PRIORITY"), "5");
  EXPECT_EQ(entries[0].fields.at("MESSAGE"), "état chargé : 3 élément(s) sous /home/u/Sync");
  // An error is logged at GLib's warning level: its error level would abort.
  EXPECT_EQ(entries[1].level, G_LOG_LEVEL_WARNING);
  EXPECT_EQ(entries[1].fields.at("PRIORITY"), "3");
  EXPECT_EQ(entries[1].fields.at("MESSAGE"),
            "état illisible (badges.json) : fin de fichier inattendue");
}

}  // namespace
}  // namespace tessvik
