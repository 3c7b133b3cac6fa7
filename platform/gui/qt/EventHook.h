#pragma once

#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <functional>

#include "platform/core/UnhandledError.h"
#include "platform/gui/qt/Text.h"

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

// Hands each key press of the watched object that stands for a character
// (see KeyChar) to handler, which is read at every press and so may be set
// later; handler must live as long as the watched object. A handler that
// sets the key to 0 stops the press there; one that raises is reported
// through RunGuarded.
inline void HookKeyPress(QObject* watched, const std::function<void(char& key)>& handler) {
  new EventHook(watched, [&handler](QObject*, QEvent* event) {
    char key = 0;
    if (event->type() != QEvent::KeyPress || !handler || !KeyChar(*static_cast<QKeyEvent*>(event), key)) return false;
    RunGuarded([&] { handler(key); });
    return key == 0;
  });
}

}  // namespace platform::qt
