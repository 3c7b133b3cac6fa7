#include "platform/core/Clock.h"

#include <time.h>

namespace platform {

namespace {

std::chrono::milliseconds Read(clockid_t id) {
  timespec now{};
  ::clock_gettime(id, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::duration_cast<std::chrono::milliseconds>(
                                                  std::chrono::nanoseconds(now.tv_nsec));
}

class SystemClocks : public Clock {
 public:
  std::chrono::milliseconds Monotonic() const override { return Read(CLOCK_MONOTONIC); }
  std::chrono::milliseconds SinceBoot() const override { return Read(CLOCK_BOOTTIME); }
  std::chrono::system_clock::time_point Wall() const override { return std::chrono::system_clock::now(); }
};

}  // namespace

const Clock& SystemClock() {
  static const SystemClocks clock;
  return clock;
}

// tzset reads the zone again when /etc/localtime or TZ changed, which
// localtime_r alone does not.
std::string LocalHourMinute(std::chrono::system_clock::time_point time) {
  ::tzset();
  const time_t seconds = std::chrono::system_clock::to_time_t(time);
  tm local{};
  if (::localtime_r(&seconds, &local) == nullptr) return "--:--";
  char text[8] = {};
  ::strftime(text, sizeof text, "%H:%M", &local);
  return text;
}

SleepDetector::SleepDetector(const Clock& clock)
    : clock_(clock), sleptSoFar_(clock.SinceBoot() - clock.Monotonic()), lastLook_(clock.Monotonic()) {}

std::optional<std::chrono::milliseconds> SleepDetector::SleptSinceLastLook() {
  const std::chrono::milliseconds monotonic = clock_.Monotonic();
  const std::chrono::milliseconds slept = clock_.SinceBoot() - monotonic;
  const std::chrono::milliseconds before = lastLook_;
  lastLook_ = monotonic;
  // The gap between two readings of the clocks is noise around a fixed
  // base; only a sleep moves the base.
  if (slept - sleptSoFar_ < kShortestSleep) return std::nullopt;
  sleptSoFar_ = slept;
  return before;
}

}  // namespace platform
