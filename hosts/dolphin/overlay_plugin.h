// Dolphin's overlay plugin: each item's emblem. Dolphin loads it as a plain
// Qt plugin from kf5/overlayicon, once per process (every view shares the
// instance), on its UI thread; it skips a plugin without KDE's metadata
// (overlay_plugin.json). The menu plugin reaches the same instance through
// the plugin loader and asks it with the two invokable methods, so that one
// Dolphin process runs the extension once.
#pragma once

#include <KOverlayIconPlugin>
#include <QVariantList>
#include <memory>

#include "hosts/dolphin/dolphin_extension.h"

namespace tessvik {

// Nothing here lets an exception out to Dolphin: a failure is logged and the
// call answers nothing. UI thread only.
class OverlayPlugin final : public KOverlayIconPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID "com.tessvik.dolphin.overlayicon" FILE "overlay_plugin.json")

 public:
  explicit OverlayPlugin(QObject* parent = nullptr);
  ~OverlayPlugin() override;

  QStringList getOverlays(const QUrl& item) override;

  // For the menu plugin: the menu items for the selected `items`, each as
  // QStringList{name, label, icon}.
  Q_INVOKABLE QVariantList menuItems(const QList<QUrl>& items);
  // For the menu plugin: the menu item `name` was chosen with `items`
  // selected, `directories` the ones that are folders.
  Q_INVOKABLE void activate(const QString& name, const QList<QUrl>& items,
                            const QList<QUrl>& directories);

 private:
  std::unique_ptr<DolphinExtension> extension_;  // null if it could not start
};

}  // namespace tessvik
