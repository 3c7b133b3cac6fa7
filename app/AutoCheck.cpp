#include "app/AutoCheck.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <string>

#include "app/CommandRun.h"
#include "app/DesktopAlerts.h"
#include "app/LogInRefusalText.h"
#include "app/MailboxChoice.h"
#include "app/POP3Unit1.h"
#include "app/RunThenFinish.h"
#include "app/Settings.h"
#include "app/StatusLine.h"
#include "mailbox/MatchRules.h"
#include "platform/core/WindowTimer.h"
#include "platform/gui/SystemBusWatch.h"
#include "platform/core/Translate.h"

namespace app {

namespace {

constexpr int kMinutesStep = 5;
constexpr int kDefaultIntervalMinutes = 30;

void ColourRuleLabel(platform::Label& label, const platform::Edit& rule) {
  label.SetColor(rule.Text().empty() ? platform::kColorBlack : platform::kColorRed);
}

}  // namespace

AutoCheck::AutoCheck(TForm1& form, const platform::Clock& clock)
    : form_(form), schedule_(clock), sleep_(clock) {
  StartWatchingMachine();
}

AutoCheck::~AutoCheck() = default;

bool AutoCheck::DueAtTick() {
  schedule_.SetInterval(std::chrono::minutes(EffectiveMinutes()));
  return schedule_.DueAtTick();
}

// Whatever fails, even the closing QUIT, the window comes back enabled and
// the next tick can check again. Failures are silent, apart from the boxes
// of the failure events; a log-in that failed unticks "Auto-Check" unless
// the network failed it.
void AutoCheck::Run() {
  TForm1& f = form_;
  f.AutoCheckBusy = true;
  schedule_.Started();
  CommandRun::Scope command(*f.commands_);
  f.SoundSuppressed = !f.CheckBox3->Checked();
  f.commands_->ShowListForCommand();
  mailbox::CheckOutcome outcome;
  RunThenFinish(
      [&] {
        if (f.choice_->Count() > 1) {
          CheckEveryMailbox(outcome);
          return;
        }
        mailboxNotes_.clear();
        f.commands_->PrepareSession();
        std::exception_ptr quitRefused;
        try {
          f.Mailbox().Check({true, false, f.FetchLimit}, outcome);
        } catch (const std::exception&) {
          quitRefused = std::current_exception();
        }
        f.ConnectPending = outcome.Session == mailbox::LogIn::Failed;
        if (schedule_.Finished(outcome) == mailbox::WatchVerdict::Stop) f.CheckBox2->SetChecked(false);
        ShowState();
        if (outcome.ListTotal) f.ListTotal = *outcome.ListTotal;
        if (outcome.Listed && !f.commands_->CloseRequested()) ApplyMatchRules();
        if (quitRefused) std::rethrow_exception(quitRefused);
      },
      [&] {
        platform::SetScreenCursor(f.SavedCursor);
        f.SetControlsEnabled(true);
        ApplyTimerInterval();
        if (outcome.Refusal && outcome.Refusal->Passes()) {
          f.status_->Finish(RefusalNote(*outcome.Refusal), platform::Tr("Status", "Not checked: %1"));
        } else {
          f.status_->Finish(outcome.Incomplete);
        }
        f.AutoCheckBusy = false;
      });
}

void AutoCheck::ManualCheckEnded(const mailbox::CheckOutcome& outcome) {
  if (outcome.Session != mailbox::LogIn::Done) return;
  schedule_.Reached();
  ShowState();
}

// "Last check 10:32 failed: no network. Next 10:37." follows the interval
// in the "Auto-Check" hint, and the program's name in the tray's.
void AutoCheck::ShowState() {
  const int minutes = EffectiveMinutes();
  schedule_.SetInterval(std::chrono::minutes(minutes));
  const std::string note = schedule_.FailureNote(form_.CheckBox2->Checked());
  std::string interval = AutoCheckHint(std::to_string(form_.IntervalMinutes));
  if (minutes > form_.IntervalMinutes) {
    interval = platform::Substitute(
        platform::Tr("AutoCheck", "%1 - the server allows a log-in only every %2 minute(s), so it checks every %2"),
        {interval, std::to_string(minutes)});
  }
  form_.CheckBox2->SetHint(note.empty() ? interval : interval + "\n" + note);
  std::string tray = kTrayHint;
  if (!mailboxNotes_.empty()) tray += "\n" + mailboxNotes_;
  form_.TrayIcon1->SetHint(note.empty() ? tray : tray + "\n" + note);
}

// Every match is an alert of its own; the sound, and the title with it,
// come once per check. One notification tells of them all.
void AutoCheck::ApplyMatchRules() {
  const mailbox::RuleVerdict verdict =
      mailbox::JudgeRows({form_.Edit1->Text(), form_.Edit2->Text(), form_.Edit3->Text()}, form_.Mailbox().List());
  for (int i = 0; i < verdict.Matches; ++i) form_.RaiseMailAlert();
  if (verdict.AnyMailAlert) form_.RaiseMailAlert();
  form_.alerts_->NotifyMailAlert(verdict.AlertRows);
}

void AutoCheck::ColourRuleLabels() {
  ColourRuleLabel(*form_.Label1, *form_.Edit1);
  ColourRuleLabel(*form_.Label2, *form_.Edit2);
  ColourRuleLabel(*form_.Label4, *form_.Edit3);
}

// The timer and the hint follow the new interval even when it cannot be
// written; the error is reported afterwards. A timer that a command has
// stopped stays stopped: the command restarts it when it ends.
void AutoCheck::ApplyIntervalChange() {
  std::exception_ptr writeError;
  try {
    WriteSetting(settings::kAutoCheck, settings::kInterval, std::to_string(form_.IntervalMinutes));
  } catch (const std::exception&) {
    writeError = std::current_exception();
  }
  ApplyTimerInterval();
  if (writeError) std::rethrow_exception(writeError);
}

// A server that allows a log-in only every so many seconds (its CAPA
// answer's LOGIN-DELAY) is never checked more often than that: the
// interval grows for it, and the hint says why. A timer that runs keeps
// its period unless the interval changed.
void AutoCheck::ApplyTimerInterval() {
  if (form_.IntervalMinutes <= 0) return;  // no interval read yet: the timer keeps the one it has
  const unsigned milliseconds = IntervalMilliseconds(EffectiveMinutes());
  if (form_.Timer1->Interval() != milliseconds) {
    const bool running = form_.Timer1->Enabled();
    form_.Timer1->SetEnabled(false);
    form_.Timer1->SetInterval(milliseconds);
    form_.Timer1->SetEnabled(running);
  }
  ShowState();
  form_.CheckBox2->Repaint();
}

int AutoCheck::EffectiveMinutes() const {
  const std::optional<int> delay = form_.Mailbox().LogInDelay();
  const int delayMinutes = delay ? (*delay + 59) / 60 : 0;
  return std::max(form_.IntervalMinutes, delayMinutes);
}

// A tick also arrives while a check waits on the server; only the first
// two steps run then. Another command's session is never interrupted
// either, even though commands stop the timer while they run.
void TForm1::Timer1Timer() {
  HideRuleEdits();
  SetApplicationTitle(kApplicationTitle);
  if (!CheckBox2->Checked()) return;
  if (MailAlerted && !CheckBox4->Checked()) return;
  if (AutoCheckBusy || commands_->Running()) return;
  if (!autoCheck_->DueAtTick()) return;
  autoCheck_->Run();
}

void TForm1::RaiseMailAlert() {
  MailAlerted = true;
  if (InTray) StartTrayAnimation();
  if (SoundAvailable && !SoundSuppressed) {
    PlayAlertSound();
    SoundSuppressed = true;
    SetApplicationTitle(kAlertApplicationTitle);
  }
}

void TForm1::Label1Click() { Edit1->SetVisible(!Edit1->Visible()); }

void TForm1::Label2Click() { Edit2->SetVisible(!Edit2->Visible()); }

void TForm1::Label4Click() { Edit3->SetVisible(!Edit3->Visible()); }

void TForm1::Edit1Enter() {
  Edit2->Hide();
  Edit3->Hide();
}

void TForm1::Edit2Enter() {
  Edit1->Hide();
  Edit3->Hide();
}

void TForm1::Edit3Enter() {
  Edit1->Hide();
  Edit2->Hide();
}

void TForm1::Edit1Exit() {
  Edit1->Hide();
  ColourRuleLabel(*Label1, *Edit1);
}

void TForm1::Edit2Exit() {
  Edit2->Hide();
  ColourRuleLabel(*Label2, *Edit2);
}

void TForm1::Edit3Exit() {
  Edit3->Hide();
  ColourRuleLabel(*Label4, *Edit3);
}

// Moving the focus onto or off the "Auto-Check" tick box acknowledges an
// alert.
void TForm1::CheckBox2Enter() {
  HideRuleEdits();
  MailAlerted = false;
}

void TForm1::CheckBox2Exit() { MailAlerted = false; }

void TForm1::IPeditEnter() { HideRuleEdits(); }

void TForm1::UserEditEnter() { HideRuleEdits(); }

void TForm1::PasswordEditEnter() { HideRuleEdits(); }

void TForm1::CheckBox1Enter() { HideRuleEdits(); }

void TForm1::Label7Click() {
  if (AutoCheckBusy) return;
  IntervalMinutes += kMinutesStep;
  if (IntervalMinutes > kLongestIntervalMinutes) IntervalMinutes = kMinutesStep;
  autoCheck_->ApplyIntervalChange();
}

void TForm1::Label7DblClick() {
  if (AutoCheckBusy) return;
  IntervalMinutes = kDefaultIntervalMinutes;
  autoCheck_->ApplyIntervalChange();
}

}  // namespace app
