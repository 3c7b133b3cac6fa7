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
  Update();
}

void WindowTimer::SetInterval(unsigned intervalMs) {
  if (intervalMs == interval_) return;
  interval_ = intervalMs;
  Update();
}

void WindowTimer::SetOnTimer(std::function<void()> handler) {
  onTimer_ = std::move(handler);
  Update();
}

bool WindowTimer::Running() const { return timer_->IsActive(); }

void WindowTimer::Update() {
  timer_->Stop();
  if (enabled_ && interval_ > 0 && onTimer_) timer_->Start(interval_);
}

}  // namespace platform
