#include "net/LineSocket.h"

namespace net {

TThreadTimer::TThreadTimer(TComponent* owner)
    : TComponent(owner), timerSink_(std::make_unique<platform::Timer>([this] { FireTimer(); })) {}

TThreadTimer::~TThreadTimer() {
  enabled_ = false;
  timerSink_->Stop();
}

void TThreadTimer::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  UpdateTimer();
}

void TThreadTimer::SetInterval(std::uint32_t value) {
  if (value == interval_) return;
  interval_ = value;
  UpdateTimer();
}

void TThreadTimer::SetOnTimer(TNotifyEvent handler) {
  onTimer_ = std::move(handler);
  UpdateTimer();
}

void TThreadTimer::UpdateTimer() {
  timerSink_->Stop();
  if (interval_ != 0 && enabled_ && onTimer_) {
    if (!timerSink_->Start(interval_)) throw Exception("No Timer");
  }
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
  try {
    timeoutTimer_->SetInterval(static_cast<std::uint32_t>(timeOut_));
    timeoutTimer_->SetEnabled(true);
  } catch (...) {
    // Refused: leave the timer disabled, so that the next wait starts it.
    timeoutTimer_->SetEnabled(false);
    throw;
  }
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
