#include "platform/gui/PasswordKeyring.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>
#include <QTimer>
#include <memory>

namespace platform::keyring {

namespace {

const QString kService = QStringLiteral("pop3check");

// The job answers through the event loop (libsecret's callbacks arrive on
// the GLib main context that Qt's loop serves).
Status Run(QKeychain::Job& job) {
  job.setAutoDelete(false);
  job.setInsecureFallback(false);
  QEventLoop loop;
  bool finished = false;
  QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
    finished = true;
    loop.quit();
  });
  QTimer::singleShot(kKeyringTimeoutMs, &loop, &QEventLoop::quit);
  job.start();
  if (!finished) loop.exec(QEventLoop::ExcludeUserInputEvents);
  if (!finished) return Status::NoKeyring;
  switch (job.error()) {
    case QKeychain::NoError:
      return Status::Done;
    case QKeychain::EntryNotFound:
      return Status::NotFound;
    default:
      return Status::NoKeyring;
  }
}

}  // namespace

// Password bytes go in and out unchanged (as Latin-1 characters), whatever
// their encoding.
Status StorePassword(const std::string& key, const std::string& password) {
  QKeychain::WritePasswordJob job(kService);
  job.setKey(QString::fromStdString(key));
  job.setBinaryData(QByteArray(password.data(), static_cast<qsizetype>(password.size())));
  return Run(job);
}

Status ReadPassword(const std::string& key, std::string& password) {
  QKeychain::ReadPasswordJob job(kService);
  job.setKey(QString::fromStdString(key));
  Status status = Run(job);
  if (status == Status::Done) {
    QByteArray data = job.binaryData();
    password.assign(data.constData(), static_cast<std::size_t>(data.size()));
  }
  return status;
}

Status RemovePassword(const std::string& key) {
  QKeychain::DeletePasswordJob job(kService);
  job.setKey(QString::fromStdString(key));
  return Run(job);
}

}  // namespace platform::keyring
