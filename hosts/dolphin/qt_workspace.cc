#include "hosts/dolphin/qt_workspace.h"

#include <KApplicationTrader>
#include <KIO/CommandLauncherJob>
#include <KIO/DesktopExecParser>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QUrl>
#include <QUuid>

namespace tessvik {

bool QtWorkspace::preferredHandlerExists(const std::string& scheme) {
  return KApplicationTrader::preferredService(QStringLiteral("x-scheme-handler/") +
                                              QString::fromStdString(scheme)) != nullptr;
}

void QtWorkspace::openWithKio(const std::string& url,
                              std::function<void(const std::string& reason)> failed) {
  // KIO fills a handler's %u with the URL decoded ("…/7 été.txt"), and the
  // handler must get the text we give it. So KIO builds the command line
  // from the desktop entry for a stand-in of the same scheme that no
  // decoding changes, and the stand-in is then replaced by the URL as given.
  const std::size_t colon = url.find(':');
  const QString scheme = QString::fromStdString(url.substr(0, colon));
  const KService::Ptr service =
      KApplicationTrader::preferredService(QStringLiteral("x-scheme-handler/") + scheme);
  if (!service) return failed("plus aucune application ne l'ouvre");  // (gone since asked)
  // (Lower case and hexadecimal digits: every form of the URL spells it alike.)
  const QString standIn =
      scheme.toLower() + QLatin1Char(':') + QUuid::createUuid().toString(QUuid::Id128);
  const KIO::DesktopExecParser parser(*service, {QUrl(standIn)});
  QStringList arguments = parser.resultingArguments();
  if (arguments.isEmpty()) return failed(parser.errorMessage().toStdString());
  for (QString& argument : arguments) argument.replace(standIn, QString::fromStdString(url));
  const QString program = arguments.takeFirst();
  auto* job = new KIO::CommandLauncherJob(program, arguments);
  job->setDesktopName(service->desktopEntryName());
  job->setWorkingDirectory(service->workingDirectory());
  QObject::connect(job, &KJob::result, job, [job, failed = std::move(failed)] {
    if (job->error() != 0) failed(job->errorString().toStdString());
  });
  job->start();  // the job deletes itself once done
}

void QtWorkspace::notifyDesktop(const std::string& summary, const std::string& body) {
  QDBusMessage notify = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.Notifications"),
      QStringLiteral("/org/freedesktop/Notifications"),
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  notify << QStringLiteral("TessVik") << 0u << QStringLiteral("dialog-error")
         << QString::fromStdString(summary) << QString::fromStdString(body) << QStringList()
         << QVariantMap() << -1;
  QDBusConnection::sessionBus().send(notify);
}

}  // namespace tessvik
