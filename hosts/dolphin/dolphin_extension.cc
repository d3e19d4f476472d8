#include "hosts/dolphin/dolphin_extension.h"

#include <QFile>

#include "extension/state_folder.h"
#include "host/log_identity.h"

namespace tessvik {
namespace {

// The local path of `item` in the file system's bytes, or nothing.
std::string localPath(const QUrl& item) {
  if (!item.isLocalFile()) return {};
  return QFile::encodeName(item.toLocalFile()).toStdString();
}

}  // namespace

DolphinExtension::DolphinExtension(OverlaysChanged changed, const char* xdgStateHome,
                                   std::size_t maxItems)
    : qtLogger_(kExtensionLog),
      refresher_([changed = std::move(changed)](const std::string& path) {
        changed(QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path))));
      }),
      asked_(maxItems),
      extension_(FileManagerServices{{fileSystem_, runLoop_, logger_, users_, workspace_, memory_},
                                     refresher_,
                                     &FolderLinks::posixRealPath,
                                     xdgStateFolder(realHome_.path(), xdgStateHome)}) {}

QStringList DolphinExtension::overlaysFor(const QUrl& item) {
  std::string path = localPath(item);
  if (path.empty()) return {};
  // Dolphin asks again and again for the items it shows (31 times for 9
  // files): an item is held once, and only a push refreshes it.
  hold(path);
  // The badge lookup reads the path alone, not whether it names a folder:
  // Dolphin's UI thread waits on no file system call here.
  const std::optional<std::string> emblem = extension_.emblemFor(path, false);
  if (!emblem) return {};
  return {QString::fromStdString(*emblem)};
}

void DolphinExtension::hold(const std::string& path) {
  RecentlyAsked::Held held = asked_.hold(path);
  if (held.letGo) extension_.itemGone(*held.letGo);
  if (held.isNew) extension_.itemShown(path);
}

std::vector<DolphinMenuItem> DolphinExtension::menuFor(const QList<QUrl>& items) {
  std::vector<std::string> paths;
  for (const QUrl& item : items) paths.push_back(localPath(item));
  std::vector<const char*> named;
  for (const std::string& path : paths) named.push_back(path.empty() ? nullptr : path.c_str());
  std::vector<DolphinMenuItem> menu;
  for (const FileManagerMenuItem& item : extension_.menuForItems(named)) {
    menu.push_back({QString::fromStdString(item.name), QString::fromStdString(item.label),
                    QString::fromStdString(item.icon.value_or(""))});
  }
  return menu;
}

void DolphinExtension::activate(const QString& name, const QList<QUrl>& items,
                                const QList<QUrl>& directories) {
  std::vector<FileUrl> selection;
  for (const QUrl& item : items) {
    const std::string path = localPath(item);
    if (!path.empty()) selection.push_back(FileUrl::fromPath(path, directories.contains(item)));
  }
  extension_.activate(name.toStdString(), std::move(selection));
}

}  // namespace tessvik
