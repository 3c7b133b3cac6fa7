#pragma once

#include <functional>

#include "tests/support/Wait.h"  // PumpUntil, the bounded wait these tests use

namespace testsupport {

// Moves the process into a network namespace of its own, with only the
// loopback interface up, so that no test traffic (a DNS query for a name
// that must not resolve included) leaves the machine. Call first in main,
// before any thread exists. False when the system does not allow it (not
// root): tests that would query the outside then skip.
bool EnterPrivateNetwork();
bool InPrivateNetwork();

// Turns the event loop a few times, blocking briefly each time, so that
// anything that is going to be notified has had the chance.
void Settle(int passes = 5);

// Runs action from the event loop, at its next turn.
void RunSoon(std::function<void()> action);

// Number of socket activations (of any socket notifier of the process)
// that the event loop has delivered so far; a notifier that fires over and
// over for the same bytes shows here.
long SocketActivations();

// A loopback port that nothing listens on: bound once to learn a free
// number, then released.
int UnusedLoopbackPort();

}  // namespace testsupport

// Skips the test unless the process has its own network namespace.
#define REQUIRE_PRIVATE_NETWORK()                                                         \
  do {                                                                                    \
    if (!testsupport::InPrivateNetwork())                                                     \
      GTEST_SKIP() << "needs a private network namespace (run as root) so that no query " \
                      "leaves the machine";                                               \
  } while (0)
