#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/TestEnvironment.h"
#include "platform/core/EventLoop.h"
#include "platform/core/Timer.h"
#include "platform/core/UnhandledError.h"

namespace {

using testsupport::PumpUntil;
using testsupport::Settle;

// Restores the default handler when a test is done with its own.
class UnhandledErrorCapture {
 public:
  UnhandledErrorCapture() {
    platform::SetUnhandledErrorHandler([this](const std::exception& error) { reported.push_back(error.what()); });
  }
  ~UnhandledErrorCapture() { platform::SetUnhandledErrorHandler(nullptr); }
  std::vector<std::string> reported;
};

TEST(EventLoopTest, WaitForEventsReturnsOnceAnEventWasHandled) {
  bool ran = false;
  testsupport::RunSoon([&] { ran = true; });
  platform::WaitForEvents(60000);
  EXPECT_TRUE(ran);
}

TEST(TimerTest, KeepsTickingWhenItsHandlerThrows) {
  UnhandledErrorCapture capture;
  int ticks = 0;
  platform::Timer timer([&] {
    ++ticks;
    throw std::runtime_error("tick failed");
  });
  ASSERT_TRUE(timer.Start(1));
  EXPECT_EQ(timer.IntervalMs(), 1u);
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }));
  EXPECT_TRUE(timer.IsActive());
  ASSERT_EQ(capture.reported.size(), static_cast<std::size_t>(ticks));
  EXPECT_EQ(capture.reported.front(), "tick failed");

  timer.Stop();
  const int stoppedAt = ticks;
  Settle();
  EXPECT_EQ(ticks, stoppedAt);
  EXPECT_FALSE(timer.IsActive());
}

TEST(TimerTest, RefusesAnIntervalTheSystemCannotTake) {
  platform::Timer timer([] {});
  EXPECT_FALSE(timer.Start(0x80000000u));
  EXPECT_FALSE(timer.IsActive());
}

TEST(TimerTest, MayBeDestroyedByItsOwnTick) {
  int ticks = 0;
  std::unique_ptr<platform::Timer> timer;
  timer = std::make_unique<platform::Timer>([&] {
    ++ticks;
    timer.reset();
  });
  ASSERT_TRUE(timer->Start(1));
  ASSERT_TRUE(PumpUntil([&] { return timer == nullptr; }));
  Settle();
  EXPECT_EQ(ticks, 1);
}

TEST(UnhandledErrorTest, RunGuardedHandsEveryEscapingExceptionToTheHandler) {
  UnhandledErrorCapture capture;
  platform::RunGuarded([] { throw std::runtime_error("handler failed"); });
  platform::RunGuarded([] { throw 42; });
  platform::RunGuarded([] {});
  EXPECT_EQ(capture.reported, (std::vector<std::string>{"handler failed", "Unknown error"}));
}

TEST(UnhandledErrorTest, FailingHandlerDoesNotLetTheErrorEscape) {
  platform::SetUnhandledErrorHandler([](const std::exception&) { throw std::logic_error("handler broke"); });
  EXPECT_NO_THROW(platform::ReportUnhandledError(std::runtime_error("shown on standard error")));
  platform::SetUnhandledErrorHandler(nullptr);
}

}  // namespace
