#include "platform/gui/PasswordKeyring.h"

#include <qt6keychain/keychain.h>

#include <QObject>
#include <QTimer>

#include "platform/gui/qt/ControlCore.h"

namespace platform::keyring {

namespace {

const QString kService = QStringLiteral("pop3check");

Status StatusOf(const QKeychain::Job& job) {
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

// The job answers through the event loop (libsecret's callbacks arrive on
// the GLib main context that Qt's loop serves). It cannot be cancelled: one
// that outlives its call (timed out, or the call destroyed) finishes
// unheard and deletes itself. The library runs its jobs one at a time, so
// a keyring that hangs holds up the later calls as well, each until its
// own time-out.
struct Call::Impl {
  QObject context;  // ends the job's connection when the call goes
  QTimer timeout;
  bool finished = false;
  Status status = Status::NoKeyring;
  std::string password;
  Call* owner = nullptr;

  void Finish(Status result) {
    if (finished) return;
    finished = true;
    status = result;
    timeout.stop();
    // Last, and through a copy: the handler may destroy the call.
    std::function<void()> handler = owner->OnFinished;
    CallHandler(handler);
  }
};

Call::Call(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) { impl_->owner = this; }

Call::~Call() = default;

bool Call::Finished() const { return impl_->finished; }
Status Call::Result() const { return impl_->status; }
const std::string& Call::Password() const { return impl_->password; }

namespace {

std::unique_ptr<Call> Start(QKeychain::Job* job, const std::string& key) {
  auto impl = std::make_unique<Call::Impl>();
  Call::Impl* state = impl.get();
  job->setAutoDelete(true);
  job->setInsecureFallback(false);
  job->setKey(QString::fromStdString(key));
  // A job that fails at once answers inside start(); its answer is passed
  // on from the event loop all the same, once the caller holds the call.
  QObject::connect(job, &QKeychain::Job::finished, &state->context, [state](QKeychain::Job* done) {
    if (state->finished) return;
    Status status = StatusOf(*done);
    auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(done);
    if (status == Status::Done && read != nullptr) {
      QByteArray data = read->binaryData();
      state->password.assign(data.constData(), static_cast<std::size_t>(data.size()));
    }
    QMetaObject::invokeMethod(&state->context, [state, status] { state->Finish(status); }, Qt::QueuedConnection);
  });
  state->timeout.setSingleShot(true);
  QObject::connect(&state->timeout, &QTimer::timeout, &state->context,
                   [state] { state->Finish(Status::NoAnswer); });
  state->timeout.start(kKeyringTimeoutMs);
  auto call = std::make_unique<Call>(std::move(impl));
  job->start();
  return call;
}

}  // namespace

// Password bytes go in and out unchanged (as Latin-1 characters), whatever
// their encoding.
std::unique_ptr<Call> StartStore(const std::string& key, const std::string& password) {
  auto* job = new QKeychain::WritePasswordJob(kService);
  job->setBinaryData(QByteArray(password.data(), static_cast<qsizetype>(password.size())));
  return Start(job, key);
}

std::unique_ptr<Call> StartRead(const std::string& key) { return Start(new QKeychain::ReadPasswordJob(kService), key); }

std::unique_ptr<Call> StartRemove(const std::string& key) {
  return Start(new QKeychain::DeletePasswordJob(kService), key);
}

}  // namespace platform::keyring
