#include "platform/gui/DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QVariantMap>

#include "platform/core/UnhandledError.h"
#include "platform/gui/qt/ControlCore.h"
#include "platform/gui/qt/NotificationListener.h"
#include "platform/gui/qt/Text.h"

namespace platform {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kDefaultAction = QStringLiteral("default");
// The window must not hang on a server that does not answer.
constexpr int kCallTimeoutMs = 3000;

QDBusMessage Call(const QDBusMessage& message) {
  return QDBusConnection::sessionBus().call(message, QDBus::Block, kCallTimeoutMs);
}

bool ServerPresent() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  return bus.isConnected() && bus.interface() != nullptr && bus.interface()->isServiceRegistered(kService).value();
}

// Servers that keep a do-not-disturb switch report it in the Inhibited
// property; the others have none, and their own settings decide.
bool Inhibited() {
  QDBusMessage get = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                    QStringLiteral("Get"));
  get << kInterface << QStringLiteral("Inhibited");
  QDBusMessage reply = Call(get);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
  return reply.arguments().first().value<QDBusVariant>().variant().toBool();
}

// A server that reads markup in the body would take "<b>" in a subject as
// markup; text from the mail is data and shown as it is.
bool ServerReadsMarkup() {
  QDBusMessage reply = Call(QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetCapabilities")));
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
  return reply.arguments().first().toStringList().contains(QStringLiteral("body-markup"));
}

}  // namespace

struct DesktopNotifier::Impl {
  qt::NotificationListener listener;
  uint lastId = 0;
  bool listening = false;
};

DesktopNotifier::DesktopNotifier() : impl_(std::make_unique<Impl>()) {
  impl_->listener.onAction = [this](uint id, const QString& action) {
    if (id != 0 && id == impl_->lastId && action == kDefaultAction) CallHandler(OnActivated);
  };
}

DesktopNotifier::~DesktopNotifier() {
  if (impl_->listening)
    QDBusConnection::sessionBus().disconnect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"),
                                             &impl_->listener, SLOT(ActionInvoked(uint, QString)));
}

DesktopNotifier::Result DesktopNotifier::Notify(const std::string& summary, const std::string& body) {
  if (!ServerPresent()) return Result::NoServer;
  if (Inhibited()) return Result::DoNotDisturb;
  if (!impl_->listening) {
    impl_->listening = QDBusConnection::sessionBus().connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"),
                                                             &impl_->listener, SLOT(ActionInvoked(uint, QString)));
  }
  QString bodyText = qt::ToQt(body);
  if (ServerReadsMarkup()) bodyText = bodyText.toHtmlEscaped();
  QVariantMap hints;
  hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.pop3check.pop3check"));
  hints.insert(QStringLiteral("category"), QStringLiteral("email.arrived"));
  QDBusMessage notify = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
  notify << QStringLiteral("POP3 Checker") << impl_->lastId << QStringLiteral("pop3check") << qt::ToQt(summary)
         << bodyText << QStringList{kDefaultAction, QStringLiteral("Show")} << hints << -1;
  QDBusMessage reply = Call(notify);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return Result::NoServer;
  impl_->lastId = reply.arguments().first().toUInt();
  return Result::Shown;
}

}  // namespace platform
