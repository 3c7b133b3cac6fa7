#include "tests/support/Wait.h"

#include <chrono>

#include "platform/core/EventLoop.h"

namespace testsupport {

bool PumpUntil(const std::function<bool()>& condition, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    platform::WaitForEvents(10);
  }
  return true;
}

}  // namespace testsupport
