#pragma once

#include <functional>
#include <memory>

namespace platform {

class Timer;

// The window's repeating timer: ticks every Interval milliseconds while
// Enabled and a handler is set. Enabling it, or changing the interval while
// it is enabled, starts the period afresh. An exception from OnTimer goes
// to the application's error box; the timer keeps running.
class WindowTimer {
 public:
  explicit WindowTimer(unsigned intervalMs = 1000, bool enabled = true);
  ~WindowTimer();
  WindowTimer(const WindowTimer&) = delete;
  WindowTimer& operator=(const WindowTimer&) = delete;

  void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }
  void SetInterval(unsigned intervalMs);
  unsigned Interval() const { return interval_; }
  void SetOnTimer(std::function<void()> handler);
  // True while the system timer runs.
  bool Running() const;

 private:
  void Update();

  unsigned interval_;
  bool enabled_;
  std::function<void()> onTimer_;
  std::unique_ptr<Timer> timer_;
};

}  // namespace platform
