#pragma once

#include <functional>

namespace testsupport {

// Pumps the application's events until condition holds or timeoutMs have
// passed; returns whether it holds. Never sleeps without serving events.
bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

}  // namespace testsupport
