#pragma once

namespace app {

class TForm1;

// The automatic check: on a tick of Timer1, while "Auto-Check" is ticked,
// the mailbox is listed and summarised without asking, and the rules under
// the list's captions decide whether the alert is raised.
class AutoCheck {
 public:
  explicit AutoCheck(TForm1& form) : form_(form) {}

  // One automatic check, start to end; the tick's guards have passed.
  void Run();
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

  TForm1& form_;
};

}  // namespace app
