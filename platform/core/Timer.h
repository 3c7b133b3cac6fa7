#pragma once

#include <functional>
#include <memory>

namespace platform {

// A periodic timer whose ticks arrive on the user-interface thread while
// events are pumped. Exceptions from the tick handler go to
// ReportUnhandledError and leave the timer running.
class Timer {
 public:
  explicit Timer(std::function<void()> onTick);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  // (Re)starts the period from zero. Returns false when the system refuses.
  bool Start(unsigned intervalMs);
  void Stop();
  bool IsActive() const;
  unsigned IntervalMs() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
