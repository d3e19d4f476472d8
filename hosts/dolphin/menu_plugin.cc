// Dolphin's context-menu plugin: « Partager avec TessVik… » for items inside
// synced folders. It holds no extension of its own: it asks the overlay
// plugin's instance, the one Dolphin loaded (or loads it), by Qt's
// invokable methods, so that one Dolphin process runs the extension once.
#include <KAbstractFileItemActionPlugin>
#include <KFileItem>
#include <KFileItemListProperties>
#include <KPluginFactory>
#include <QAction>
#include <QIcon>
#include <QPluginLoader>
#include <QVariantList>

namespace {

// Where the overlay plugin is, among Qt's plugin folders.
constexpr const char* kOverlayPlugin = "kf5/overlayicon/tessvik-dolphin-overlay";

class MenuPlugin final : public KAbstractFileItemActionPlugin {
  Q_OBJECT

 public:
  MenuPlugin(QObject* parent, const QVariantList&) : KAbstractFileItemActionPlugin(parent) {}

  // Nothing when the overlay plugin cannot be loaded or declines: Dolphin's
  // menu goes on without our item.
  QList<QAction*> actions(const KFileItemListProperties& selection, QWidget* parent) override {
    QObject* extension = QPluginLoader(QLatin1String(kOverlayPlugin)).instance();
    if (extension == nullptr) return {};
    QList<QUrl> items;
    QList<QUrl> directories;
    for (const KFileItem& item : selection.items()) {
      items.push_back(item.url());
      if (item.isDir()) directories.push_back(item.url());
    }
    QVariantList menu;
    QMetaObject::invokeMethod(extension, "menuItems", Qt::DirectConnection,
                              Q_RETURN_ARG(QVariantList, menu), Q_ARG(QList<QUrl>, items));
    QList<QAction*> actions;
    for (const QVariant& entry : menu) {
      const QStringList item = entry.toStringList();  // name, label, icon
      if (item.size() != 3) continue;
      auto* action = new QAction(QIcon::fromTheme(item[2]), item[1], parent);
      connect(action, &QAction::triggered, extension, [extension, item, items, directories] {
        QMetaObject::invokeMethod(extension, "activate", Qt::DirectConnection,
                                  Q_ARG(QString, item[0]), Q_ARG(QList<QUrl>, items),
                                  Q_ARG(QList<QUrl>, directories));
      });
      actions.push_back(action);
    }
    return actions;
  }
};

}  // namespace

K_PLUGIN_CLASS_WITH_JSON(MenuPlugin, "menu_plugin.json")

#include "menu_plugin.moc"
