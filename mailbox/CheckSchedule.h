#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "mailbox/Mailbox.h"
#include "mailbox/NetworkFailure.h"
#include "platform/core/Clock.h"

namespace mailbox {

// What the end of an automatic check means for the ones after it.
enum class WatchVerdict {
  Reached,    // the check got to the server's log-in: the watch goes on as before
  Unreached,  // the network failed it before the log-in: the watch goes on, with a back-off
  Stop,       // only the user can mend it (credentials or security refused, the server
              // refused before the log-in, no password): the automatic check stops
};

// The one place that decides whether a failed automatic check ends the
// watch. A refused log-in or session has had its box from the events.
WatchVerdict JudgeForWatch(const CheckOutcome& outcome);

// When one mailbox's automatic check is due, and how its last one failed.
// The window's timer ticks every interval, and every tick checks, except
// after automatic checks that did not reach the server: then ticks are let
// pass for a back-off that starts at one interval and doubles with each
// such failure in a row, up to an hour (or the interval, if longer), until
// a check reaches the server again. Measured on the monotonic clock, so
// that setting the wall clock, or a daylight-saving change, neither brings
// a check forward nor puts it off; the wall clock only names the times.
class CheckSchedule {
 public:
  static constexpr std::chrono::minutes kLongestBackOff{60};

  explicit CheckSchedule(const platform::Clock& clock) : clock_(clock) {}

  void SetInterval(std::chrono::minutes interval) { interval_ = interval; }

  // An automatic check starts now.
  void Started();
  // The check got past the network: it logged in, or the server itself
  // refused. A standing failure is over.
  void Reached();
  // The automatic check that started last did not reach the server.
  void Unreached(NetworkFailure why);
  // The automatic check that started last ended so: Reached or Unreached
  // as judged; the verdict.
  WatchVerdict Finished(const CheckOutcome& outcome);

  // Whether a tick of the timer now is to check. Ticks may come a little
  // early, so one within a tenth of the interval of the due time counts.
  bool DueAtTick() const;
  // Monotonic time at which the last automatic check started.
  std::optional<std::chrono::milliseconds> LastStart() const { return lastStart_; }
  // The last automatic check failed, for a reason that a lack of network
  // may explain.
  bool WaitsForNetwork() const { return failure_ && NetworkMayExplain(failure_->why); }

  // "Last check 10:32 failed: no network. Next 10:37.", the second sentence
  // only when nextShown; empty while no failure stands.
  std::string FailureNote(bool nextShown) const;

 private:
  struct Failure {
    NetworkFailure why;
    int inARow;
    std::chrono::milliseconds at;            // monotonic: the failed check's start
    std::chrono::system_clock::time_point atWall;
  };

  std::chrono::milliseconds BackOff() const;

  const platform::Clock& clock_;
  std::chrono::minutes interval_{30};
  std::optional<std::chrono::milliseconds> lastStart_;
  std::chrono::system_clock::time_point lastStartWall_;
  std::optional<Failure> failure_;
};

}  // namespace mailbox
