#include "mailbox/CheckSchedule.h"
#include "platform/core/Translate.h"

#include <algorithm>

namespace mailbox {

using std::chrono::milliseconds;

WatchVerdict JudgeForWatch(const CheckOutcome& outcome) {
  if (outcome.Session == LogIn::Done) return WatchVerdict::Reached;
  // The server answered, with a reason that passes by itself (the mailbox
  // in use, a log-in too soon, a passing problem): the watch goes on.
  if (outcome.Session == LogIn::Refused && outcome.Refusal && outcome.Refusal->Passes()) return WatchVerdict::Reached;
  if (outcome.Session == LogIn::Failed && outcome.Unreached) return WatchVerdict::Unreached;
  return WatchVerdict::Stop;
}

void CheckSchedule::Started() {
  lastStart_ = clock_.Monotonic();
  lastStartWall_ = clock_.Wall();
}

void CheckSchedule::Reached() { failure_.reset(); }

void CheckSchedule::Unreached(NetworkFailure why) {
  const int inARow = failure_ ? failure_->inARow + 1 : 1;
  failure_ = Failure{why, inARow, lastStart_.value_or(clock_.Monotonic()), lastStartWall_};
}

WatchVerdict CheckSchedule::Finished(const CheckOutcome& outcome) {
  const WatchVerdict verdict = JudgeForWatch(outcome);
  if (verdict == WatchVerdict::Unreached) {
    Unreached(*outcome.Unreached);
  } else {
    Reached();
  }
  return verdict;
}

// interval, 2 x interval, 4 x ... up to the longest back-off; an interval
// longer than that is never shortened.
milliseconds CheckSchedule::BackOff() const {
  const milliseconds longest = std::max<milliseconds>(interval_, kLongestBackOff);
  milliseconds wait = interval_;
  for (int n = 1; n < failure_->inARow && wait < longest; ++n) wait *= 2;
  return std::min(wait, longest);
}

bool CheckSchedule::DueAtTick() const {
  if (!failure_) return true;
  const milliseconds early = std::chrono::duration_cast<milliseconds>(interval_) / 10;
  return clock_.Monotonic() >= failure_->at + BackOff() - early;
}

std::string CheckSchedule::FailureNote(bool nextShown) const {
  if (!failure_) return {};
  std::string note = platform::Substitute(platform::Tr("AutoCheck", "Last check %1 failed: %2."),
                                          {platform::LocalHourMinute(failure_->atWall), Words(failure_->why)});
  // Told by the wall clock as it reads now, which may have been set since.
  const milliseconds left = failure_->at + BackOff() - clock_.Monotonic();
  if (nextShown) {
    note += " " + platform::Substitute(platform::Tr("AutoCheck", "Next %1."),
                                       {platform::LocalHourMinute(clock_.Wall() + std::max(left, milliseconds(0)))});
  }
  return note;
}

}  // namespace mailbox
