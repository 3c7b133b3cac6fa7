#include "platform/gui/SystemBusWatch.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QHash>

#include "platform/gui/qt/ControlCore.h"
#include "platform/gui/qt/SystemBusListener.h"

namespace platform {

namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kLogindInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString kNetworkManager = QStringLiteral("org.freedesktop.NetworkManager");
const QString kNetworkManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
// NetworkManager's NM_STATE_CONNECTED_LOCAL: from here up (site, global)
// a server on the network in reach may answer.
constexpr uint kConnectedLocal = 50;

}  // namespace

// Signals are taken from any sender, which spares a blocking look-up of a
// name's owner, and kept when their sender owns the service's name: its
// owner is asked for once without waiting, then followed as it changes.
struct SystemBusWatch::Impl {
  explicit Impl(SystemBusWatch& watch) : owner(watch) {}

  SystemBusWatch& owner;
  QObject context;  // parent of the watchers: their answers end with it
  qt::SystemBusListener listener;
  QHash<QString, QString> owners;  // well-known name -> unique name
  bool networkUp = false;
  bool networkKnown = false;

  static QDBusConnection Bus() { return QDBusConnection::systemBus(); }

  void Listen() {
    if (!Bus().isConnected()) return;
    listener.onPrepareForSleep = [this](const QString& sender, bool sleeping) {
      if (!sleeping && From(kLogind, sender)) CallHandler(owner.OnWake);
    };
    listener.onNetworkState = [this](const QString& sender, uint state) {
      if (From(kNetworkManager, sender)) NetworkState(state);
    };
    Bus().connect(QString(), kLogindPath, kLogindInterface, QStringLiteral("PrepareForSleep"), &listener,
                  SLOT(PrepareForSleep(bool)));
    Bus().connect(QString(), kNetworkManagerPath, kNetworkManager, QStringLiteral("StateChanged"), &listener,
                  SLOT(StateChanged(uint)));
    Follow(kLogind);
    Follow(kNetworkManager);
  }

  bool From(const QString& service, const QString& sender) const {
    return !sender.isEmpty() && owners.value(service) == sender;
  }

  void Follow(const QString& service) {
    auto* watcher = new QDBusServiceWatcher(service, Bus(), QDBusServiceWatcher::WatchForOwnerChange, &context);
    QObject::connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, &context,
                     [this](const QString& name, const QString&, const QString& newOwner) { owners[name] = newOwner; });
    QDBusMessage ask = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                      QStringLiteral("/org/freedesktop/DBus"),
                                                      QStringLiteral("org.freedesktop.DBus"),
                                                      QStringLiteral("GetNameOwner"));
    ask << service;
    auto* pending = new QDBusPendingCallWatcher(Bus().asyncCall(ask), &context);
    QObject::connect(pending, &QDBusPendingCallWatcher::finished, &context, [this, service, pending] {
      QDBusPendingReply<QString> reply = *pending;
      if (reply.isValid() && !owners.contains(service)) owners[service] = reply.value();
      pending->deleteLater();
    });
  }

  void NetworkState(uint state) {
    const bool up = state >= kConnectedLocal;
    const bool cameUp = up && (!networkUp || !networkKnown);
    networkUp = up;
    networkKnown = true;
    if (cameUp) CallHandler(owner.OnNetworkUp);
  }
};

SystemBusWatch::SystemBusWatch() : impl_(std::make_unique<Impl>(*this)) { impl_->Listen(); }

SystemBusWatch::~SystemBusWatch() {
  Impl::Bus().disconnect(QString(), kLogindPath, kLogindInterface, QStringLiteral("PrepareForSleep"),
                         &impl_->listener, SLOT(PrepareForSleep(bool)));
  Impl::Bus().disconnect(QString(), kNetworkManagerPath, kNetworkManager, QStringLiteral("StateChanged"),
                         &impl_->listener, SLOT(StateChanged(uint)));
}

}  // namespace platform
