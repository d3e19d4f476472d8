// What the Dolphin host adds to the file-manager host: answers from memory
// that are already new when Dolphin is told to ask again, only for the items
// it holds, the least recently asked let go first.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTimer>

#include "hosts/dolphin/dolphin_extension.h"

namespace tessvik {
namespace {

class DolphinExtensionTest : public ::testing::Test {
 protected:
  // Written aside then renamed over, as the sync client does.
  void writeState(const char* files) {
    ASSERT_TRUE(QDir(dir_.path()).mkpath("state/tessvik"));
    QSaveFile file(dir_.filePath("state/tessvik/badges.json"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral(R"({"root": "%1", "files": {%2}})")
                   .arg(dir_.filePath("Sync"), QString::fromUtf8(files))
                   .toUtf8());
    ASSERT_TRUE(file.commit());
  }
  QUrl item(const QString& name) const { return QUrl::fromLocalFile(dir_.filePath(name)); }

  QTemporaryDir dir_;
};

TEST_F(DolphinExtensionTest, APushAnswersAnewThenTellsDolphinOfTheItemsItHolds) {
  writeState(R"("a": "synced", "b": "synced")");
  QEventLoop loop;
  std::vector<std::pair<QUrl, QStringList>> changed;
  std::unique_ptr<DolphinExtension> extension;
  extension = std::make_unique<DolphinExtension>(
      [&](const QUrl& url) {
        changed.emplace_back(url, extension->overlaysFor(url));
        loop.quit();
      },
      QFile::encodeName(dir_.filePath("state")).constData(), 2);
  EXPECT_EQ(extension->overlaysFor(item("Sync/b")), QStringList{"emblem-tessvik-synced"});
  extension->overlaysFor(item("Sync/a"));
  extension->overlaysFor(item("Sync/b"));  // asked again: a is now the least recent
  EXPECT_EQ(extension->overlaysFor(item("Sync/c")), QStringList{});  // holding it lets a go
  EXPECT_EQ(extension->overlaysFor(QUrl("https://example.com/Sync/a")), QStringList{});
  writeState(R"("a": "error", "b": "error")");
  QTimer::singleShot(5000, &loop, &QEventLoop::quit);
  loop.exec();
  const std::vector<std::pair<QUrl, QStringList>> expected{
      {item("Sync/b"), QStringList{"emblem-tessvik-error"}}};
  EXPECT_EQ(changed, expected);
}

}  // namespace
}  // namespace tessvik

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
