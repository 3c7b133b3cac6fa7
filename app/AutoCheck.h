#pragma once

#include <memory>

#include "mailbox/CheckSchedule.h"
#include "mailbox/Mailbox.h"
#include "platform/core/Clock.h"

namespace platform {
class SystemBusWatch;
class WindowTimer;
}  // namespace platform

namespace app {

class TForm1;

// The automatic check: on a tick of Timer1, while "Auto-Check" is ticked,
// the mailbox is listed and summarised without asking, and the rules under
// the list's captions decide whether the alert is raised.
//
// It is meant to run for months: a check that the network failed keeps
// the watch (mailbox::JudgeForWatch decides), with a back-off, and its
// failure is told in the "Auto-Check" and tray hints instead of a box. One
// check runs soon after the machine wakes (logind's signal, or time since
// boot drawing ahead of monotonic time), cutting short the wait of a
// connection that died in its sleep, and one at once when the network
// comes back after a check that lacked it. Due times are measured on
// clock's monotonic time.
class AutoCheck {
 public:
  // A wait that runs when the machine wakes ends within this bound.
  static constexpr int kWaitAfterWakeMs = 10000;
  // How often time since boot is compared with monotonic time.
  static constexpr unsigned kSleepLookMs = 5000;

  AutoCheck(TForm1& form, const platform::Clock& clock);
  ~AutoCheck();

  // Whether a tick of Timer1 now is to check: false while a back-off
  // after a failure lets the tick pass.
  bool DueAtTick();
  // One automatic check, start to end; the tick's guards have passed.
  void Run();
  // A check by the user got as far as outcome says: a log-in ends a
  // standing failure.
  void ManualCheckEnded(const mailbox::CheckOutcome& outcome);
  // Writes IntervalMinutes to the settings file and applies it to the
  // timer and the "Auto-Check" hint.
  void ApplyIntervalChange();
  // The timer's interval and the "Auto-Check" hint: the interval set, or
  // the server's least delay between log-ins when that is longer.
  void ApplyTimerInterval();
  // Each rule label red when its rule is set, else black.
  void ColourRuleLabels();

 private:
  // The rules on the listed rows: an alert per match, and the desktop's
  // notification of the rows that raised one.
  void ApplyMatchRules();
  // With several mailboxes (app/AutoCheckMailboxes.cpp): each one with
  // AutoCheck=Yes in turn, one session each; the rules on each; one alert
  // and one notification for them all. shown: the chosen mailbox's
  // outcome, when it was checked.
  void CheckEveryMailbox(mailbox::CheckOutcome& shown);
  // The "Auto-Check" and tray hints: the interval, and a standing failure.
  void ShowState();
  // The interval set, or the server's least delay between log-ins in
  // whole minutes when that is longer.
  int EffectiveMinutes() const;

  // Wake and network (app/AutoCheckWake.cpp).
  void StartWatchingMachine();
  void Woke();
  void NetworkUp();
  void LookForSleep();
  // One automatic check from the event loop, outside the timer's ticks;
  // requests before it runs make one check.
  void CheckSoon();
  void CheckAfter(unsigned delayMs);
  void RunOutOfTurn();

  TForm1& form_;
  mailbox::CheckSchedule schedule_;
  // With several mailboxes: what the last check found in each ("Work: 2
  // matched", "Home: failed: no network"), one per line.
  std::string mailboxNotes_;
  platform::SleepDetector sleep_;
  std::unique_ptr<platform::WindowTimer> sleepLook_;
  std::unique_ptr<platform::WindowTimer> soon_;
  std::unique_ptr<platform::SystemBusWatch> systemBus_;
};

}  // namespace app
