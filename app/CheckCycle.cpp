#include <exception>

#include "app/MessageRows.h"
#include "app/POP3Unit1.h"
#include "app/RunThenFinish.h"
#include "platform/gui/Application.h"
#include "platform/core/EventLoop.h"

namespace app {

void TForm1::CheckButtonClick() {
  TCommandScope command(*this);
  BeginManualCheck();
  // Whatever fails, even the closing QUIT, the window comes back enabled
  // with its cursor, status label and timer as they were.
  RunThenFinish([this] { RunManualCheck(); }, [this] { FinishManualCheck(); });
}

void TForm1::BeginManualCheck() {
  SoundSuppressed = !CheckBox3->Checked();
  BeginUserListCommand();
}

void TForm1::RunManualCheck() {
  PrepareSession();
  ClearMessageList();
  ConnectPending = false;
  try {
    ListAndSummarise();
  } catch (const std::exception&) {
    // The boxes of the failure events and the one below tell the user.
  }
  if (ConnectPending) {
    if (!CloseRequested) platform::ShowInformation("Errors Encountered With " + IPedit->Text() + " - ABORTING !");
    CheckBox2->SetChecked(false);
  }
  POP3->Disconnect();
}

void TForm1::ListAndSummarise() {
  ShowStatus("Working ...");
  ConnectPending = true;
  POP3->Connect();
  ConnectPending = false;
  if (POP3->MailCount() < 1) {
    platform::ShowInformation("You Have No Mail !");
    return;
  }
  ListMailbox();
  if (CheckBox5->Checked()) FetchSummaries();
  if (SoundAvailable && !SoundSuppressed && !CloseRequested) PlayAlertSound();
}

void TForm1::ListMailbox() {
  ListTotal = POP3->MailCount();
  if (FetchLimit > 0 && FetchLimit <= POP3->MailCount()) ListTotal = FetchLimit - 1;
  ListedCount = 0;
  POP3->ListMessages();
}

// Walks the rows up to and including ListTotal (one past the last row when
// there is no limit: that index has no tick box and is passed over). A
// failure ends the walk only; a key press ends it after the current row.
void TForm1::FetchSummaries() {
  StopRequested = false;
  try {
    for (int row = 0; row <= ListTotal; ++row) {
      platform::PumpEvents();
      if (StringGrid1->HasCheckBox(kTickColumn, row)) {
        SummaryRow = row;
        POP3->FetchSummary(RowMessageNumber(*StringGrid1, row));
        ShowStatus(std::to_string(row + 1) + " / " + std::to_string(ListTotal));
      }
      if (StopRequested || CloseRequested) break;
    }
  } catch (const std::exception&) {
    // Rows keep what they have; the check goes on.
  }
}

void TForm1::FinishManualCheck() {
  platform::SetScreenCursor(SavedCursor);
  SetControlsEnabled(true);
  Label5->Hide();
  RestartAutoCheckTimer();
  CheckButton->SetHint(ListTotal > 0 ? std::to_string(ListTotal) : std::string());
}

void TForm1::POP3List(std::int32_t Msg, std::int32_t Size) {
  if (FetchLimit > 0 && ListedCount > FetchLimit - 1) return;
  if (ListedCount > 0 || StringGrid1->RowCount() == 0) StringGrid1->InsertRows(0, 1);
  StringGrid1->AddCheckBox(kTickColumn, 0, false);
  StringGrid1->SetCell(kSizeColumn, 0, std::to_string(Size));
  StringGrid1->SetCell(kNumberColumn, 0, std::to_string(Msg));
  ++ListedCount;
}

void TForm1::POP3RetrieveEnd(platform::TComponent*) {
  if (ViewerFetch) return;
  const std::string header = LinesText(POP3->Summary().Header);
  for (const ShownField& field : kShownFields) {
    if (auto value = ExtractHeaderValue(header, field.Label, field.FallbackLabel, field.Skip))
      StringGrid1->SetCell(field.Column, SummaryRow, *value);
  }
}

void TForm1::POP3AuthenticationFailed(bool&) {
  ConnectPending = false;
  platform::ShowInformation("User Name / Password INVALID !");
  CheckBox2->SetChecked(false);
}

void TForm1::POP3ConnectionFailed(platform::TComponent*) { CheckBox2->SetChecked(false); }

void TForm1::POP3InvalidHost(bool&) { CheckBox2->SetChecked(false); }

void TForm1::POP3Failure(platform::TComponent*) {
  CheckBox2->SetChecked(false);
  ListTotal = 0;
}

void TForm1::POP3DecodeEnd(platform::TComponent*) {}

void TForm1::POP3PacketRecvd(platform::TComponent*) {}

void TForm1::FormKeyPress(char&) { StopRequested = true; }

}  // namespace app
