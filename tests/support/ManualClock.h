#pragma once

#include <chrono>

#include "platform/core/Clock.h"

namespace testsupport {

// A clock that moves only when the test moves it, for what is due on the
// monotonic clock, sleep, and a wall clock set by hand. It starts one hour
// after boot, at 10:32 today in the local time zone.
class ManualClock : public platform::Clock {
 public:
  ManualClock();

  std::chrono::milliseconds Monotonic() const override { return monotonic_; }
  std::chrono::milliseconds SinceBoot() const override { return sinceBoot_; }
  std::chrono::system_clock::time_point Wall() const override { return wall_; }

  // Time passes while the machine runs: every clock moves.
  void Advance(std::chrono::milliseconds by);
  // The machine sleeps: monotonic time stands still, the others run on.
  void Sleep(std::chrono::milliseconds by);
  // The wall clock is set by hand: only it moves (back, for a negative by).
  void SetWallBy(std::chrono::milliseconds by) { wall_ += by; }

  // hour:minute today, local time.
  static std::chrono::system_clock::time_point LocalToday(int hour, int minute);

 private:
  std::chrono::milliseconds monotonic_{std::chrono::hours(1)};
  std::chrono::milliseconds sinceBoot_{std::chrono::hours(1)};
  std::chrono::system_clock::time_point wall_;
};

}  // namespace testsupport
