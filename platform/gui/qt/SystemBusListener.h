#pragma once

#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <functional>

namespace platform::qt {

// Receives logind's PrepareForSleep and NetworkManager's StateChanged (a
// D-Bus signal needs a slot of a QObject), each with the unique bus name
// of its sender.
class SystemBusListener : public QObject, protected QDBusContext {
  Q_OBJECT

 public:
  std::function<void(const QString& sender, bool sleeping)> onPrepareForSleep;
  std::function<void(const QString& sender, uint state)> onNetworkState;

 public slots:
  void PrepareForSleep(bool sleeping) {
    if (onPrepareForSleep) onPrepareForSleep(Sender(), sleeping);
  }
  void StateChanged(uint state) {
    if (onNetworkState) onNetworkState(Sender(), state);
  }

 private:
  QString Sender() const { return calledFromDBus() ? message().service() : QString(); }
};

}  // namespace platform::qt
