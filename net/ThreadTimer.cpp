#include "net/LineSocket.h"

#include <algorithm>
#include <chrono>

namespace net {

TThreadTimer::TThreadTimer(TComponent* owner) : TComponent(owner) {}

TThreadTimer::~TThreadTimer() { timer_.SetEnabled(false); }

void TThreadTimer::SetEnabled(bool value) {
  if (value == timer_.Enabled()) return;
  timer_.SetEnabled(value);
  RaiseWhenRefused();
}

void TThreadTimer::SetInterval(std::uint32_t value) {
  if (value == timer_.Interval()) return;
  timer_.SetInterval(value);
  RaiseWhenRefused();
}

void TThreadTimer::SetOnTimer(TNotifyEvent handler) {
  onTimer_ = std::move(handler);
  // The window timer restarts on every new handler, as this one must.
  if (onTimer_) {
    timer_.SetOnTimer([this] { FireTimer(); });
  } else {
    timer_.SetOnTimer(nullptr);
  }
  RaiseWhenRefused();
}

void TThreadTimer::UpdateTimer() {
  timer_.Restart();
  RaiseWhenRefused();
}

void TThreadTimer::RaiseWhenRefused() const {
  if (timer_.StartRefused()) throw Exception("No Timer");
}

// Exceptions of the handler reach the platform timer, which passes them to
// the application's handler for unhandled errors and keeps ticking.
void TThreadTimer::FireTimer() {
  if (onTimer_) onTimer_(this);
}

void TLineSocket::StartTimeout() {
  ReportStatus(kStatusTrace, "Timer On");
  timedOut_ = false;
  if (timeOut_ < 0) throw ERangeError("Range check error");
  std::uint32_t interval = static_cast<std::uint32_t>(timeOut_);
  if (commandDeadline_ && timeOut_ > 0) {
    // A wait that starts at or past the deadline still gets one tick, so
    // that it ends through the time-out as every other one does.
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*commandDeadline_ -
                                                                      std::chrono::steady_clock::now());
    interval = static_cast<std::uint32_t>(std::clamp<long long>(left.count(), 1, interval));
  }
  try {
    timeoutTimer_->SetInterval(interval);
    timeoutTimer_->SetEnabled(true);
  } catch (...) {
    // Refused: leave the timer disabled, so that the next wait starts it.
    timeoutTimer_->SetEnabled(false);
    throw;
  }
}

void TLineSocket::SetCommandDeadline(std::int64_t milliseconds) {
  commandDeadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
}

void TLineSocket::ClearCommandDeadline() { commandDeadline_.reset(); }

// The wait's timer is armed afresh under the new deadline; a wait that had
// less time left than that gets the deadline's, still a bounded one.
void TLineSocket::LimitRunningWait(std::int64_t milliseconds) {
  if (!timeoutTimer_->Enabled() || timeOut_ <= 0) return;
  SetCommandDeadline(milliseconds);
  StartTimeout();
}

void TLineSocket::StopTimeout() {
  ReportStatus(kStatusTrace, "Timer Off");
  timeoutTimer_->SetEnabled(false);
}

void TLineSocket::TimeoutElapsed(TComponent* /*Sender*/) {
  ReportStatus(kStatusTrace, "Timer Triggered");
  StopTimeout();  // the timer is periodic: one tick per wait is enough
  timedOut_ = true;
  lookupDone_ = true;
  Abort();
}

}  // namespace net
