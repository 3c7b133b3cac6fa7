// When the automatic check is due after failures, on a clock the test
// moves: back-off, the hint's words, clock changes and sleep.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "mailbox/CheckSchedule.h"
#include "tests/support/ManualClock.h"

namespace mailboxtest {

namespace {

using mailbox::NetworkFailure;
using std::chrono::minutes;

class CheckSchedule : public ::testing::Test {
 protected:
  CheckSchedule() { schedule_.SetInterval(minutes(5)); }

  // An automatic check starts now and the network fails it.
  void FailedCheck(NetworkFailure why = NetworkFailure::NoNetwork) {
    schedule_.Started();
    schedule_.Unreached(why);
  }
  // Which of the next count ticks, one interval apart, are to check.
  std::vector<bool> NextTicks(int count) {
    std::vector<bool> due;
    for (int n = 0; n < count; ++n) {
      clock_.Advance(minutes(5));
      due.push_back(schedule_.DueAtTick());
    }
    return due;
  }

  testsupport::ManualClock clock_;
  mailbox::CheckSchedule schedule_{clock_};
};

TEST_F(CheckSchedule, FailuresInARowBackOffUpToAnHourAndASuccessEndsIt) {
  EXPECT_TRUE(schedule_.DueAtTick()) << "no failure: every tick checks";
  FailedCheck();
  EXPECT_EQ(NextTicks(1), std::vector<bool>({true})) << "the first retry comes at the next tick";
  FailedCheck();
  EXPECT_EQ(NextTicks(2), std::vector<bool>({false, true}));
  FailedCheck();
  EXPECT_EQ(NextTicks(4), std::vector<bool>({false, false, false, true}));
  for (int n = 0; n < 6; ++n) FailedCheck();
  std::vector<bool> hour(12, false);
  hour.back() = true;
  EXPECT_EQ(NextTicks(12), hour) << "never more than an hour apart";

  schedule_.Started();
  schedule_.Reached();
  EXPECT_EQ(NextTicks(2), std::vector<bool>({true, true}));
  EXPECT_EQ(schedule_.FailureNote(true), "");
}

TEST_F(CheckSchedule, HintNamesTheFailureAndTheNextTry) {
  struct Case {
    NetworkFailure why;
    const char* note;
    bool waitsForNetwork;
  };
  const Case cases[] = {
      {NetworkFailure::NoNetwork, "Last check 10:32 failed: no network. Next 10:37.", true},
      {NetworkFailure::NameNotFound, "Last check 10:32 failed: server name not found. Next 10:37.", true},
      {NetworkFailure::Refused, "Last check 10:32 failed: connection refused. Next 10:37.", false},
      {NetworkFailure::TimedOut, "Last check 10:32 failed: no answer. Next 10:37.", true},
      {NetworkFailure::ConnectionLost, "Last check 10:32 failed: connection lost. Next 10:37.", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.note);
    schedule_.Reached();
    FailedCheck(c.why);
    EXPECT_EQ(schedule_.FailureNote(true), c.note);
    EXPECT_EQ(schedule_.FailureNote(false), std::string(c.note).substr(0, std::string(c.note).find(" Next")));
    EXPECT_EQ(schedule_.WaitsForNetwork(), c.waitsForNetwork);
  }
}

// The wall clock set by hand or by daylight saving moves no due time; the
// hint keeps the failed check's time and reads the next one on the clock
// as it is now.
TEST_F(CheckSchedule, WallClockChangesNeitherDoubleNorSkipACheck) {
  for (const minutes by : {minutes(60), minutes(-60), minutes(-600)}) {
    SCOPED_TRACE(by.count());
    schedule_.Reached();
    clock_ = testsupport::ManualClock();
    FailedCheck();
    FailedCheck();
    clock_.SetWallBy(by);
    EXPECT_EQ(NextTicks(2), std::vector<bool>({false, true}));
    schedule_.Reached();
    clock_.SetWallBy(-by);
    EXPECT_EQ(NextTicks(3), std::vector<bool>({true, true, true}));
  }
  FailedCheck();
  const auto failedAt = clock_.Wall();
  clock_.Advance(minutes(1));
  clock_.SetWallBy(minutes(60));
  EXPECT_EQ(schedule_.FailureNote(true), "Last check " + platform::LocalHourMinute(failedAt) +
                                             " failed: no network. Next " +
                                             platform::LocalHourMinute(clock_.Wall() + minutes(4)) + ".");
}

TEST_F(CheckSchedule, SleepIsToldOnceAndAClockSetByHandIsNoSleep) {
  platform::SleepDetector detector(clock_);
  clock_.Advance(minutes(10));
  clock_.SetWallBy(minutes(-120));
  EXPECT_FALSE(detector.SleptSinceLastLook()) << "running time and a clock set by hand are no sleep";
  const std::chrono::milliseconds before = clock_.Monotonic();
  clock_.Sleep(minutes(45));
  EXPECT_EQ(detector.SleptSinceLastLook(), before);
  EXPECT_FALSE(detector.SleptSinceLastLook()) << "each sleep is told once";
  clock_.Sleep(std::chrono::milliseconds(500));
  EXPECT_FALSE(detector.SleptSinceLastLook()) << "the clocks read a moment apart";
}

}  // namespace

}  // namespace mailboxtest
