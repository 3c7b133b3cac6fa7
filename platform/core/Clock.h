#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace platform {

// The clocks that say when something is due and when the machine slept.
// Monotonic time never jumps and stands still while the machine sleeps;
// time since boot runs on through sleep, so it draws ahead of monotonic
// time by exactly the time slept; wall time is what the user reads, set by
// hand or by the network, and read in a local time zone that changes with
// daylight saving and travel. What is due is measured on monotonic time;
// wall time is only shown.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::chrono::milliseconds Monotonic() const = 0;
  virtual std::chrono::milliseconds SinceBoot() const = 0;
  virtual std::chrono::system_clock::time_point Wall() const = 0;
};

// The system's clocks: CLOCK_MONOTONIC, CLOCK_BOOTTIME and the real-time
// clock.
const Clock& SystemClock();

// "10:32": hour and minute of time in the local time zone as it is set now
// (a zone changed since start-up is read afresh).
std::string LocalHourMinute(std::chrono::system_clock::time_point time);

// Tells whether the machine has slept since it last looked: time since boot
// ran ahead of monotonic time. A clock set by hand, or a daylight-saving
// change, moves neither of them and is never taken for sleep.
class SleepDetector {
 public:
  // Shorter gaps are the two clocks read a moment apart, not sleep.
  static constexpr std::chrono::milliseconds kShortestSleep{1000};

  explicit SleepDetector(const Clock& clock);

  // When the machine slept since the last look (or construction): the
  // monotonic time of that look, after which it went to sleep; nothing when
  // it did not. Each sleep is told once.
  std::optional<std::chrono::milliseconds> SleptSinceLastLook();

 private:
  const Clock& clock_;
  std::chrono::milliseconds sleptSoFar_;
  std::chrono::milliseconds lastLook_;
};

}  // namespace platform
