#include "hosts/dolphin/overlay_plugin.h"

#include "host/exception_text.h"
#include "host/log_identity.h"

namespace tessvik {
namespace {

// An exception stops at this boundary: Dolphin goes on, the call does
// nothing, and the log says why.
void logEscapedException() noexcept {
  const char* what = currentExceptionText();
  qWarning("%s.%s: exception interceptée : %s", kExtensionLog.subsystem, kExtensionLog.category,
           what);
}

}  // namespace

OverlayPlugin::OverlayPlugin(QObject* parent) : KOverlayIconPlugin(parent) {
  try {
    const QByteArray stateHome = qgetenv("XDG_STATE_HOME");
    extension_ = std::make_unique<DolphinExtension>(
        [this](const QUrl& item) { Q_EMIT overlaysChanged(item, getOverlays(item)); },
        stateHome.isNull() ? nullptr : stateHome.constData());
  } catch (...) {
    logEscapedException();
  }
}

OverlayPlugin::~OverlayPlugin() = default;

QStringList OverlayPlugin::getOverlays(const QUrl& item) {
  if (!extension_) return {};
  try {
    return extension_->overlaysFor(item);
  } catch (...) {
    logEscapedException();
    return {};
  }
}

QVariantList OverlayPlugin::menuItems(const QList<QUrl>& items) {
  QVariantList menu;
  if (!extension_) return menu;
  try {
    for (const DolphinMenuItem& item : extension_->menuFor(items)) {
      menu.push_back(QStringList{item.name, item.label, item.icon});
    }
  } catch (...) {
    logEscapedException();
  }
  return menu;
}

void OverlayPlugin::activate(const QString& name, const QList<QUrl>& items,
                             const QList<QUrl>& directories) {
  if (!extension_) return;
  try {
    extension_->activate(name, items, directories);
  } catch (...) {
    logEscapedException();
  }
}

}  // namespace tessvik
