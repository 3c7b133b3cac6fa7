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
  // Stops the system timer and starts it again when Enabled, Interval > 0
  // and a handler is set; the setters do this when they change something.
  void Restart();
  // True when the system refused the last start (an interval it cannot
  // keep); the timer then stays stopped until the next start.
  bool StartRefused() const { return startRefused_; }

 private:
  unsigned interval_;
  bool enabled_;
  bool startRefused_ = false;
  std::function<void()> onTimer_;
  std::unique_ptr<Timer> timer_;
};

}  // namespace platform
