#pragma once

#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <functional>

namespace platform::qt {

// Receives the notification server's ActionInvoked signal (a D-Bus signal
// needs a slot of a QObject) and hands it to onAction with the unique bus
// name of its sender.
class NotificationListener : public QObject, protected QDBusContext {
  Q_OBJECT

 public:
  std::function<void(const QString& sender, uint id, const QString& action)> onAction;

 public slots:
  void ActionInvoked(uint id, const QString& action) {
    if (onAction) onAction(calledFromDBus() ? message().service() : QString(), id, action);
  }
};

}  // namespace platform::qt
