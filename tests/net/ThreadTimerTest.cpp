#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "LineSocketTestSupport.h"
#include "tests/support/TestEnvironment.h"
#include "net/LineSocket.h"
#include "platform/core/UnhandledError.h"

namespace {

using linesockettest::RaisedBy;
using net::Exception;
using net::TComponent;
using net::TThreadTimer;
using testsupport::PumpUntil;
using testsupport::Settle;

// The system refuses an interval this long, so every attempt to start the
// timer shows as "No Timer": the setters' restarts become visible.
constexpr std::uint32_t kRefusedInterval = 0x80000000u;

TEST(TThreadTimerTest, SettersRestartTheTimerOnlyWhenTheValueChanges) {
  TThreadTimer timer(nullptr);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 1000u);
  EXPECT_NO_THROW(timer.SetInterval(kRefusedInterval));  // no OnTimer: nothing starts

  const auto handler = [](TComponent*) {};
  EXPECT_EQ(RaisedBy<Exception>([&] { timer.SetOnTimer(handler); }), "No Timer");  // always restarts
  EXPECT_NO_THROW(timer.SetInterval(kRefusedInterval));                            // same value
  EXPECT_NO_THROW(timer.SetEnabled(true));                                         // same value
  EXPECT_NO_THROW(timer.SetEnabled(false));                                        // stops only
  EXPECT_EQ(RaisedBy<Exception>([&] { timer.SetEnabled(true); }), "No Timer");
  EXPECT_EQ(RaisedBy<Exception>([&] { timer.SetOnTimer(handler); }), "No Timer");
  EXPECT_NO_THROW(timer.SetInterval(0));  // no ticks at all
}

TEST(TThreadTimerTest, TicksCallOnTimerWithTheTimerAsSender) {
  TThreadTimer timer(nullptr);
  int ticks = 0;
  timer.SetInterval(1);
  timer.SetOnTimer([&](TComponent* sender) {
    EXPECT_EQ(sender, &timer);
    ++ticks;
  });
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 2; }));
  timer.SetEnabled(false);
  const int stoppedAt = ticks;
  Settle();
  EXPECT_EQ(ticks, stoppedAt);
}

TEST(TThreadTimerTest, TimerWithoutOnTimerNeverTicks) {
  class CountingTimer : public TThreadTimer {
   public:
    using TThreadTimer::TThreadTimer;
    void FireTimer() override {
      ++fired;
      TThreadTimer::FireTimer();
    }
    int fired = 0;
  };
  CountingTimer timer(nullptr);
  timer.SetInterval(1);
  timer.UpdateTimer();
  Settle();
  EXPECT_EQ(timer.fired, 0);
  timer.SetOnTimer([](TComponent*) {});
  ASSERT_TRUE(PumpUntil([&] { return timer.fired > 0; }));
}

TEST(TThreadTimerTest, HandlerExceptionGoesToTheApplicationAndTheTimerGoesOn) {
  std::vector<std::string> reported;
  platform::SetUnhandledErrorHandler([&](const std::exception& error) { reported.push_back(error.what()); });
  TThreadTimer timer(nullptr);
  int ticks = 0;
  timer.SetInterval(1);
  timer.SetOnTimer([&](TComponent*) {
    ++ticks;
    throw std::runtime_error("handler failed");
  });
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 2; }));
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(reported.size(), static_cast<std::size_t>(ticks));
  platform::SetUnhandledErrorHandler(nullptr);
}

}  // namespace
