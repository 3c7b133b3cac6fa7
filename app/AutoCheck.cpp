#include <exception>
#include <string>

#include "app/MatchRules.h"
#include "app/MessageRows.h"
#include "app/POP3Unit1.h"
#include "app/RunThenFinish.h"
#include "app/Settings.h"

namespace app {

namespace {

constexpr int kMinutesStep = 5;
constexpr int kDefaultIntervalMinutes = 30;

void ColourRuleLabel(platform::Label& label, const platform::Edit& rule) {
  label.SetColor(rule.Text().empty() ? platform::kColorBlack : platform::kColorRed);
}

}  // namespace

void TForm1::WireAutoCheckEvents() {
  Timer1->SetOnTimer([this] { Timer1Timer(); });
  Label1->OnClick = [this] { Label1Click(); };
  Label2->OnClick = [this] { Label2Click(); };
  Label4->OnClick = [this] { Label4Click(); };
  Edit1->OnEnter = [this] { Edit1Enter(); };
  Edit2->OnEnter = [this] { Edit2Enter(); };
  Edit3->OnEnter = [this] { Edit3Enter(); };
  Edit1->OnExit = [this] { Edit1Exit(); };
  Edit2->OnExit = [this] { Edit2Exit(); };
  Edit3->OnExit = [this] { Edit3Exit(); };
  CheckBox2->OnEnter = [this] { CheckBox2Enter(); };
  CheckBox2->OnExit = [this] { CheckBox2Exit(); };
  IPedit->OnEnter = [this] { IPeditEnter(); };
  UserEdit->OnEnter = [this] { UserEditEnter(); };
  PasswordEdit->OnEnter = [this] { PasswordEditEnter(); };
  CheckBox1->OnEnter = [this] { CheckBox1Enter(); };
  Label7->OnClick = [this] { Label7Click(); };
  Label7->OnDblClick = [this] { Label7DblClick(); };
}

// A tick also arrives while a check waits on the server; only the first
// two steps run then. Another command's session is never interrupted
// either, even though commands stop the timer while they run.
void TForm1::Timer1Timer() {
  HideRuleEdits();
  SetApplicationTitle(kApplicationTitle);
  if (!CheckBox2->Checked()) return;
  if (MailAlerted && !CheckBox4->Checked()) return;
  if (AutoCheckBusy || CommandDepth > 0) return;
  AutoCheckBusy = true;
  CommandScope command(*this);
  SoundSuppressed = !CheckBox3->Checked();
  ShowListForCommand();
  // Whatever fails, even the closing QUIT, the window comes back enabled
  // and the next tick can check again.
  RunThenFinish([this] { RunAutoCheck(); }, [this] { FinishAutoCheck(); });
}

void TForm1::RunAutoCheck() {
  PrepareSession();
  ClearMessageList();
  ConnectPending = true;
  try {
    CheckMailboxForRules();
  } catch (const std::exception&) {
    // Failures of an automatic check are silent, apart from the boxes of
    // the failure events.
  }
  if (ConnectPending) CheckBox2->SetChecked(false);
  EndCheckSession();
}

void TForm1::CheckMailboxForRules() {
  POP3->Connect();
  ConnectPending = false;
  ShowStatus("Working ...");
  if (POP3->MailCount() <= 0) return;
  ListMailbox();
  FetchAllSummaries();
  if (CloseRequested) return;
  AlertRows.clear();
  ApplyMatchRules();
  NotifyMailAlert();
}

// Every listed row gets its summary whatever "Analyse" says: the rules
// need the senders and subjects. A key press does not end this walk.
void TForm1::FetchAllSummaries() { WalkSummaries(false); }

void TForm1::ApplyMatchRules() {
  MatchTextRule(Edit1->Text(), kSenderColumn);
  MatchTextRule(Edit2->Text(), kSubjectColumn);
  MatchSizeRule();
  // Without any rule, any mail at all is news. A Size text that is not a
  // number counts as a rule that is set.
  try {
    if (Edit1->Text().empty() && Edit2->Text().empty() && SizeRuleLimit(Edit3->Text()) < 1) {
      for (int row = 0; row < StringGrid1->RowCount(); ++row)
        if (StringGrid1->HasCheckBox(kTickColumn, row)) NoteAlertRow(row);
      RaiseMailAlert();
    }
  } catch (const std::exception&) {
  }
}

void TForm1::MatchTextRule(const std::string& rule, int column) {
  if (rule.empty()) return;
  for (int row = 0; row < StringGrid1->RowCount(); ++row) {
    int matches = RuleMatchCount(rule, StringGrid1->Cell(column, row));
    if (matches > 0) NoteAlertRow(row);
    for (int i = 0; i < matches; ++i) RaiseMailAlert();
  }
}

// A Size text that is not a number skips the rule; a row whose size is not
// one is passed over.
void TForm1::MatchSizeRule() {
  std::int32_t limit = 0;
  try {
    limit = SizeRuleLimit(Edit3->Text());
  } catch (const std::exception&) {
    return;
  }
  if (limit <= 0) return;
  for (int row = 0; row < StringGrid1->RowCount(); ++row) {
    try {
      std::string size = StringGrid1->Cell(kSizeColumn, row);
      if (SizeMatches(limit, size.empty() ? 0 : StrToIntLeadingBlanks(size))) {
        NoteAlertRow(row);
        RaiseMailAlert();
      }
    } catch (const std::exception&) {
    }
  }
}

void TForm1::FinishAutoCheck() {
  platform::SetScreenCursor(SavedCursor);
  SetControlsEnabled(true);
  FinishStatusLine();
  AutoCheckBusy = false;
}

// The sound, and the title with it, come once per check.
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

void TForm1::ColourRuleLabels() {
  ColourRuleLabel(*Label1, *Edit1);
  ColourRuleLabel(*Label2, *Edit2);
  ColourRuleLabel(*Label4, *Edit3);
}

void TForm1::Label7Click() {
  if (AutoCheckBusy) return;
  IntervalMinutes += kMinutesStep;
  if (IntervalMinutes > kLongestIntervalMinutes) IntervalMinutes = kMinutesStep;
  ApplyIntervalChange();
}

void TForm1::Label7DblClick() {
  if (AutoCheckBusy) return;
  IntervalMinutes = kDefaultIntervalMinutes;
  ApplyIntervalChange();
}

// The timer and the hint follow the new interval even when it cannot be
// written; the error is reported afterwards. A timer that a command has
// stopped stays stopped: the command restarts it when it ends.
void TForm1::ApplyIntervalChange() {
  std::exception_ptr writeError;
  try {
    WriteSetting(settings::kAutoCheck, settings::kInterval, std::to_string(IntervalMinutes));
  } catch (const std::exception&) {
    writeError = std::current_exception();
  }
  bool running = Timer1->Enabled();
  Timer1->SetEnabled(false);
  Timer1->SetInterval(IntervalMilliseconds(IntervalMinutes));
  Timer1->SetEnabled(running);
  CheckBox2->SetHint(AutoCheckHint(std::to_string(IntervalMinutes)));
  CheckBox2->Repaint();
  if (writeError) std::rethrow_exception(writeError);
}

}  // namespace app
