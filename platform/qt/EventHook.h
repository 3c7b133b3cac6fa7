#pragma once

#include <QEvent>
#include <QObject>
#include <functional>

namespace platform::qt {

// An event filter that hands every event of the watched object to a
// callback; the callback returns true to stop the event there.
class EventHook : public QObject {
 public:
  using Handler = std::function<bool(QObject* watched, QEvent* event)>;

  EventHook(QObject* watched, Handler handler) : QObject(watched), handler_(std::move(handler)) {
    watched->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override { return handler_(watched, event); }

 private:
  Handler handler_;
};

}  // namespace platform::qt
