#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace platform::qt {

// Receives the notification server's ActionInvoked signal (a D-Bus signal
// needs a slot of a QObject) and hands it to onAction.
class NotificationListener : public QObject {
  Q_OBJECT

 public:
  std::function<void(uint id, const QString& action)> onAction;

 public slots:
  void ActionInvoked(uint id, const QString& action) {
    if (onAction) onAction(id, action);
  }
};

}  // namespace platform::qt
