#include "hosts/dolphin/qt_workspace.h"

#include <KApplicationTrader>
#include <KIO/OpenUrlJob>
#include <QUrl>

namespace tessvik {

bool QtWorkspace::preferredHandlerExists(const std::string& scheme) {
  return KApplicationTrader::preferredService(QStringLiteral("x-scheme-handler/") +
                                              QString::fromStdString(scheme)) != nullptr;
}

void QtWorkspace::openWithKio(const std::string& url,
                              std::function<void(const std::string& reason)> failed) {
  // The URL is already percent-encoded: KIO must not encode it again.
  auto* job = new KIO::OpenUrlJob(QUrl::fromEncoded(QByteArray::fromStdString(url)));
  QObject::connect(job, &KJob::result, job, [job, failed = std::move(failed)] {
    if (job->error() != 0) failed(job->errorString().toStdString());
  });
  job->start();  // the job deletes itself once done
}

bool QtWorkspace::openUrl(std::string_view url) {
  const std::string text(url);
  const std::size_t colon = text.find(':');
  const std::string scheme = colon == std::string::npos ? "" : text.substr(0, colon);
  if (!hasHandler_(scheme)) {
    logger_.log(LogLevel::kError, kNoHandlerMessage, {std::string_view(scheme), url});
    return false;
  }
  open_(text, [this, text](const std::string& reason) {
    logger_.log(LogLevel::kError, kCannotOpenMessage, {std::string_view(text), reason});
  });
  return true;
}

}  // namespace tessvik
