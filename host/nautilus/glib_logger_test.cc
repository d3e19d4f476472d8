#include "host/nautilus/glib_logger.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "extension/messages.h"

namespace tessvik {
namespace {

struct Entry {
  GLogLevelFlags level;
  std::map<std::string, std::string> fields;
};

TEST(GlibLoggerTest, EachMessageIsOneStructuredEntryWithTheExtensionsIdentity) {
  std::vector<Entry> entries;
  GlibLogger logger([&](GLogLevelFlags level, const GLogField* fields, gsize count) {
    Entry entry{level, {}};
    for (gsize i = 0; i < count; ++i) {
      ASSERT_EQ(fields[i].length, -1);
      entry.fields[fields[i].key] = static_cast<const char*>(fields[i].value);
    }
    entries.push_back(std::move(entry));
  });
  EXPECT_TRUE(logger.isEnabled(LogLevel::kError));
  EXPECT_TRUE(logger.isEnabled(LogLevel::kDefault));

  logger.log(LogLevel::kDefault, messages::kStateLoaded, {3L, std::string_view("/home/u/Sync")});
  logger.log(LogLevel::kError, messages::kUnreadableState,
             {std::string_view("badges.json"), std::string_view("fin de fichier inattendue")});

  ASSERT_EQ(entries.size(), 2u);
  const std::map<std::string, std::string> identity{
      {"GLIB_DOMAIN", "com.tessvik.tessvik.finder"},
      {"TESSVIK_SUBSYSTEM", "com.tessvik.tessvik.finder"},
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
