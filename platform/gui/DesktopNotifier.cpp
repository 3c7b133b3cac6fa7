#include "platform/gui/DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QVariantMap>
#include <memory>
#include <optional>
#include <utility>

#include "platform/gui/qt/ControlCore.h"
#include "platform/gui/qt/NotificationListener.h"
#include "platform/gui/qt/Text.h"

namespace platform {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kActionInvoked = QStringLiteral("ActionInvoked");
const QString kDefaultAction = QStringLiteral("default");
const char* const kActionSlot = SLOT(ActionInvoked(uint, QString));
// The window never waits for these answers; the bound (D-Bus's usual one)
// only ends a notice's turn on a server that hangs, so that the next one
// gets its own.
constexpr int kCallTimeoutMs = 25000;

QDBusMessage InhibitedQuery() {
  QDBusMessage get = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                    QStringLiteral("Get"));
  get << kInterface << QStringLiteral("Inhibited");
  return get;
}

QDBusMessage CapabilitiesQuery() {
  return QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetCapabilities"));
}

// Servers that keep a do-not-disturb switch report it in the Inhibited
// property; the others answer with an error, and their own settings decide.
// No answer counts as no switch: an alert is rather shown than lost.
bool ReportsInhibited(const QDBusMessage& reply) {
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
  return reply.arguments().first().value<QDBusVariant>().variant().toBool();
}

// A server that reads markup in the body would take "<b>" in a subject as
// markup; text from the mail is data and shown as it is. Nothing when the
// server gave no answer.
std::optional<bool> ReadsMarkup(const QDBusMessage& reply) {
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return std::nullopt;
  return reply.arguments().first().toStringList().contains(QStringLiteral("body-markup"));
}

struct Notice {
  QString summary;
  QString body;
};

}  // namespace

// One notice at a time is on its way: the do-not-disturb question (and,
// until the server has said, its capabilities), then Notify, whose answer
// gives the id that the next notice replaces. The inhibited state is asked
// afresh for each notice, since the user switches it and not every server
// announces that; the capabilities are kept until the server changes.
struct DesktopNotifier::Impl {
  explicit Impl(DesktopNotifier& notifier) : owner(notifier) {}

  DesktopNotifier& owner;
  QObject context;  // parent of the pending calls: their answers end with it
  qt::NotificationListener listener;
  bool started = false;
  bool listening = false;
  uint lastId = 0;
  QString lastServer;  // the unique bus name that gave lastId
  // A click on an id not known yet, while Notify's answer is still on its
  // way: the answer and the signal travel separately through the event
  // loop, so the signal may be handled first.
  struct Click {
    QString sender;
    uint id;
  };
  std::optional<Click> earlyClick;
  std::optional<bool> readsMarkup;
  bool busy = false;
  std::optional<Notice> next;

  static QDBusConnection Bus() { return QDBusConnection::sessionBus(); }

  // A call whose answer comes through the returned watcher's finished().
  QDBusPendingCallWatcher* Start(const QDBusMessage& call) {
    return new QDBusPendingCallWatcher(Bus().asyncCall(call, kCallTimeoutMs), &context);
  }

  // Any sender may emit ActionInvoked; Activated keeps to the server's own.
  // Naming no sender spares a blocking look-up of the name's owner.
  void Listen() {
    if (started) return;
    started = true;
    listening = Bus().connect(QString(), kPath, kInterface, kActionInvoked, &listener, kActionSlot);
    auto* watcher = new QDBusServiceWatcher(kService, Bus(), QDBusServiceWatcher::WatchForOwnerChange, &context);
    // A change of owner arrives through the event loop, possibly after the
    // new owner has already answered a Notify: what that owner said stays.
    QObject::connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, &context,
                     [this](const QString&, const QString&, const QString& newOwner) {
                       if (!newOwner.isEmpty() && newOwner == lastServer) return;
                       readsMarkup.reset();
                       lastId = 0;
                       lastServer.clear();
                     });
  }

  void Activated(const QString& sender, uint id, const QString& action) {
    if (id == 0 || action != kDefaultAction) return;
    if (id == lastId && sender == lastServer) {
      CallHandler(owner.OnActivated);
    } else if (busy) {
      earlyClick = Click{sender, id};
    }
  }

  void Ask(const Notice& notice) {
    busy = true;
    QDBusPendingCallWatcher* inhibited = Start(InhibitedQuery());
    QDBusPendingCallWatcher* capabilities = readsMarkup ? nullptr : Start(CapabilitiesQuery());
    auto outstanding = std::make_shared<int>(capabilities != nullptr ? 2 : 1);
    auto answered = [this, notice, inhibited, capabilities, outstanding] {
      if (--*outstanding > 0) return;
      bool quiet = ReportsInhibited(inhibited->reply());
      inhibited->deleteLater();
      if (capabilities != nullptr) {
        if (std::optional<bool> markup = ReadsMarkup(capabilities->reply())) readsMarkup = markup;
        capabilities->deleteLater();
      }
      if (quiet) {
        Done();
      } else {
        Send(notice);
      }
    };
    QObject::connect(inhibited, &QDBusPendingCallWatcher::finished, &context, answered);
    if (capabilities != nullptr)
      QObject::connect(capabilities, &QDBusPendingCallWatcher::finished, &context, answered);
  }

  // Capabilities still unknown count as markup: an escaped "&amp;" is the
  // lesser harm.
  void Send(const Notice& notice) {
    QString body = readsMarkup.value_or(true) ? notice.body.toHtmlEscaped() : notice.body;
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.pop3check.pop3check"));
    hints.insert(QStringLiteral("category"), QStringLiteral("email.arrived"));
    QDBusMessage notify = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    notify << QStringLiteral("POP3 Checker") << lastId << QStringLiteral("pop3check") << notice.summary << body
           << QStringList{kDefaultAction, QStringLiteral("Show")} << hints << -1;
    QDBusPendingCallWatcher* sent = Start(notify);
    QObject::connect(sent, &QDBusPendingCallWatcher::finished, &context, [this, sent] {
      QDBusMessage reply = sent->reply();
      if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
        lastId = reply.arguments().first().toUInt();
        lastServer = reply.service();
      }
      sent->deleteLater();
      const std::optional<Click> click = std::exchange(earlyClick, std::nullopt);
      Done();
      if (click && click->id == lastId && click->sender == lastServer) CallHandler(owner.OnActivated);
    });
  }

  void Done() {
    busy = false;
    if (!next) return;
    Notice notice = std::move(*next);
    next.reset();
    Ask(notice);
  }
};

DesktopNotifier::DesktopNotifier() : impl_(std::make_unique<Impl>(*this)) {
  impl_->listener.onAction = [this](const QString& sender, uint id, const QString& action) {
    impl_->Activated(sender, id, action);
  };
}

DesktopNotifier::~DesktopNotifier() {
  if (impl_->listening)
    Impl::Bus().disconnect(QString(), kPath, kInterface, kActionInvoked, &impl_->listener, kActionSlot);
}

// Of the bus daemon only the connection is asked for, once per run.
void DesktopNotifier::Notify(const std::string& summary, const std::string& body) {
  if (!Impl::Bus().isConnected()) return;
  impl_->Listen();
  Notice notice{qt::ToQt(summary), qt::ToQt(body)};
  if (impl_->busy) {
    impl_->next = std::move(notice);
    return;
  }
  impl_->Ask(notice);
}

}  // namespace platform
