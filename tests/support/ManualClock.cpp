#include "tests/support/ManualClock.h"

#include <time.h>

namespace testsupport {

ManualClock::ManualClock() : wall_(LocalToday(10, 32)) {}

void ManualClock::Advance(std::chrono::milliseconds by) {
  monotonic_ += by;
  sinceBoot_ += by;
  wall_ += by;
}

void ManualClock::Sleep(std::chrono::milliseconds by) {
  sinceBoot_ += by;
  wall_ += by;
}

std::chrono::system_clock::time_point ManualClock::LocalToday(int hour, int minute) {
  const time_t now = ::time(nullptr);
  tm local{};
  ::localtime_r(&now, &local);
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = 0;
  local.tm_isdst = -1;
  return std::chrono::system_clock::from_time_t(::mktime(&local));
}

}  // namespace testsupport
