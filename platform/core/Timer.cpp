#include "platform/core/Timer.h"

#include <QObject>
#include <QTimer>
#include <climits>
#include <utility>

#include "platform/core/UnhandledError.h"

namespace platform {

namespace {

// Shared with the connected slot, so that a handler that destroys its own
// Timer leaves the running slot with valid state.
struct TickState {
  std::function<void()> onTick;
  int running = 0;  // depth of tick handlers in progress
};

}  // namespace

struct Timer::Impl {
  QTimer* timer = new QTimer;
  std::shared_ptr<TickState> state = std::make_shared<TickState>();
};

Timer::Timer(std::function<void()> onTick) : impl_(std::make_unique<Impl>()) {
  impl_->state->onTick = std::move(onTick);
  impl_->timer->setTimerType(Qt::PreciseTimer);
  QObject::connect(impl_->timer, &QTimer::timeout, impl_->timer, [state = impl_->state] {
    std::function<void()> handler = state->onTick;
    ++state->running;
    RunGuarded(handler);
    --state->running;
  });
}

Timer::~Timer() {
  impl_->timer->stop();
  if (impl_->state->running > 0) {
    // Destroyed from its own tick: the QTimer is still emitting, so it is
    // deleted once control is back in the event loop (stopped meanwhile).
    impl_->timer->deleteLater();
  } else {
    delete impl_->timer;
  }
}

bool Timer::Start(unsigned intervalMs) {
  if (intervalMs > static_cast<unsigned>(INT_MAX)) return false;
  impl_->timer->start(static_cast<int>(intervalMs));
  return impl_->timer->isActive();
}

void Timer::Stop() { impl_->timer->stop(); }

bool Timer::IsActive() const { return impl_->timer->isActive(); }

unsigned Timer::IntervalMs() const { return static_cast<unsigned>(impl_->timer->interval()); }

}  // namespace platform
