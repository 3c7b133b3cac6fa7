#include "platform/core/EventLoop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <thread>

namespace platform {

void PumpEvents() {
  if (QCoreApplication::instance() == nullptr) return;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void WaitForEvents(int maxMs) {
  maxMs = std::max(0, maxMs);
  if (QCoreApplication::instance() == nullptr) {
    Sleep(static_cast<unsigned>(maxMs));
    return;
  }
  // The bound is itself an event: the dispatcher sleeps in poll() until a
  // socket, a timer (this one included) or a posted event needs it.
  QTimer bound;
  bound.setSingleShot(true);
  bound.setTimerType(Qt::PreciseTimer);
  bound.start(maxMs);
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void Sleep(unsigned ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace platform
