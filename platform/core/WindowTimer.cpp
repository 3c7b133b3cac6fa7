#include "platform/core/WindowTimer.h"

#include "platform/core/Timer.h"

namespace platform {

WindowTimer::WindowTimer(unsigned intervalMs, bool enabled)
    : interval_(intervalMs), enabled_(enabled), timer_(std::make_unique<Timer>([this] {
        if (onTimer_) onTimer_();
      })) {}

WindowTimer::~WindowTimer() = default;

void WindowTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Restart();
}

void WindowTimer::SetInterval(unsigned intervalMs) {
  if (intervalMs == interval_) return;
  interval_ = intervalMs;
  Restart();
}

void WindowTimer::SetOnTimer(std::function<void()> handler) {
  onTimer_ = std::move(handler);
  Restart();
}

bool WindowTimer::Running() const { return timer_->IsActive(); }

void WindowTimer::Restart() {
  timer_->Stop();
  startRefused_ = enabled_ && interval_ > 0 && onTimer_ && !timer_->Start(interval_);
}

}  // namespace platform
