#include <exception>

#include "app/AutoCheck.h"
#include "app/CommandRun.h"
#include "app/ListView.h"
#include "app/LogInRefusalText.h"
#include "app/POP3Unit1.h"
#include "app/RunThenFinish.h"
#include "app/StatusLine.h"
#include "platform/core/Translate.h"

namespace app {

// The mailbox lists and summarises; the window tells what it found: an
// empty mailbox, a log-in that failed (unless its own box already said
// why), the sound for mail. Whatever fails, even the closing QUIT, the
// window comes back enabled with its cursor, status line and timer.
void TForm1::CheckButtonClick() {
  CommandRun::Scope command(*commands_);
  SoundSuppressed = !CheckBox3->Checked();
  commands_->BeginUserListCommand();
  mailbox::CheckOutcome outcome;
  RunThenFinish(
      [&] {
        commands_->PrepareSession();
        StopRequested = false;
        std::exception_ptr quitRefused;
        try {
          mailbox_->Check({CheckBox5->Checked(), true, FetchLimit}, outcome);
        } catch (const std::exception&) {
          quitRefused = std::current_exception();
        }
        const bool closing = commands_->CloseRequested();
        ConnectPending = outcome.Session == mailbox::LogIn::Failed;
        if (outcome.ListTotal) ListTotal = *outcome.ListTotal;
        autoCheck_->ManualCheckEnded(outcome);
        if (outcome.Session == mailbox::LogIn::Done && outcome.MailCount < 1 && !closing)
          platform::ShowInformation(platform::Tr("Check", "You Have No Mail !"));
        if (outcome.Listed && SoundAvailable && !SoundSuppressed && !closing) PlayAlertSound();
        if (ConnectPending) {
          if (!closing) platform::ShowInformation(ErrorsEncounteredText(IPedit->Text()));
          CheckBox2->SetChecked(false);
        }
        if (quitRefused) std::rethrow_exception(quitRefused);
      },
      [&] {
        platform::SetScreenCursor(SavedCursor);
        SetControlsEnabled(true);
        status_->Finish(outcome.Incomplete);
        autoCheck_->ApplyTimerInterval();
        commands_->RestartAutoCheckTimer();
        CheckButton->SetHint(ListTotal > 0 ? std::to_string(ListTotal) : std::string());
      });
}

// A message the listing put on top. The first message of a check takes the
// empty list's row.
void TForm1::POP3List(std::int32_t Msg, std::int32_t Size) {
  if (StringGrid1->HasCheckBox(kTickColumn, 0)) StringGrid1->InsertRows(0, 1);
  StringGrid1->AddCheckBox(kTickColumn, 0, false);
  StringGrid1->SetCell(kSizeColumn, 0, std::to_string(Size));
  StringGrid1->SetCell(kNumberColumn, 0, std::to_string(Msg));
}

// A row's summary or tick changed: its cells show what the row holds.
void TForm1::POP3RetrieveEnd(int Row) {
  const mailbox::MessageRow& row = mailbox_->List().Row(Row);
  const std::pair<int, const mailbox::ShownText*> fields[] = {
      {kSenderColumn, &row.From}, {kSubjectColumn, &row.Subject}, {kDateColumn, &row.Date}};
  for (const auto& [column, shown] : fields) {
    StringGrid1->SetCell(column, Row, shown->Text);
    StringGrid1->SetCellHint(column, Row, shown->Hint);
  }
  if (StringGrid1->HasCheckBox(kTickColumn, Row) && StringGrid1->CheckBoxState(kTickColumn, Row) != row.Ticked)
    StringGrid1->SetCheckBoxState(kTickColumn, Row, row.Ticked);
}

void TForm1::POP3AuthenticationFailed(bool&) {
  ConnectPending = false;
  platform::ShowInformation(platform::Tr("Check", "User Name / Password INVALID !"));
  CheckBox2->SetChecked(false);
}

// An automatic check decides for itself whether its failure ends the watch
// (AutoCheck::Run): the network's failures do not.
void TForm1::POP3ConnectionFailed(platform::TComponent*) {
  if (!AutoCheckBusy) CheckBox2->SetChecked(false);
}

void TForm1::POP3InvalidHost(bool&) {
  if (!AutoCheckBusy) CheckBox2->SetChecked(false);
}

void TForm1::POP3Failure(platform::TComponent*) {
  CheckBox2->SetChecked(false);
  ListTotal = 0;
}

void TForm1::POP3PacketRecvd(platform::TComponent*) {}

void TForm1::FormKeyPress(char&) { StopRequested = true; }

}  // namespace app
