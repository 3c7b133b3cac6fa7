#include <exception>

#include "app/MessageRows.h"
#include "app/POP3Unit1.h"
#include "app/RunThenFinish.h"
#include "net/LineSocket.h"
#include "platform/gui/Application.h"
#include "platform/core/EventLoop.h"
#include "pop3/SummaryPipeline.h"

namespace app {

void TForm1::CheckButtonClick() {
  CommandScope command(*this);
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
  // A row is named by its unique id, which outlives the session; its
  // number holds only until the mailbox changes. Ids that cannot be read
  // leave the rows to the checks made without them.
  try {
    POP3->ListUniqueIds(ListedIds);
  } catch (const std::exception&) {
    ListedIds.clear();
  }
}

std::string TForm1::ListedId(std::int32_t msg) const {
  auto found = ListedIds.find(msg);
  return found == ListedIds.end() ? std::string() : found->second;
}

std::optional<std::int32_t> TForm1::CurrentNumber(std::int32_t msg, const std::string& id) {
  if (id.empty()) return msg;
  return POP3->LocateMessage(msg, id);
}

// Walks the rows up to and including ListTotal, never past the rows the
// listing gave (ListTotal comes from the server's STAT). A message whose
// summary fails while the connection holds keeps its row empty and the walk
// goes on; a failure that costs the connection ends the walk; a key press
// ends it after the current row. The summaries' commands go out ahead of
// their answers where the server allows it; what was asked for and not
// taken is read when the walk ends.
void TForm1::FetchSummaries() {
  StopRequested = false;
  pop3::SummaryPipeline summaries(*POP3, SummaryPlan(*StringGrid1, ListTotal));
  try {
    for (int row = 0; row <= WalkEnd(*StringGrid1, ListTotal); ++row) {
      platform::PumpEvents();
      if (StringGrid1->HasCheckBox(kTickColumn, row)) {
        if (!FetchRowSummary(summaries, row)) break;
        ShowStatus(std::to_string(row + 1) + " / " + std::to_string(ListTotal));
      }
      if (StopRequested || CloseRequested) break;
    }
  } catch (const std::exception&) {
    // Rows keep what they have; the check goes on.
  }
  summaries.Finish();
}

bool TForm1::FetchRowSummary(pop3::SummaryPipeline& summaries, int row) {
  SummaryRow = row;
  try {
    summaries.FetchSummary(RowMessageNumber(*StringGrid1, row));
  } catch (const net::ESockError&) {
    return false;
  } catch (const platform::Exception&) {
    // Refused or unreadable: this message alone, while the connection
    // holds. An answer given up midway costs the connection, and the walk.
    if (CloseRequested || !POP3->IsConnected()) return false;
  }
  return true;
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
    if (auto value = FieldValue(header, field)) {
      StringGrid1->SetCell(field.Column, SummaryRow, ShownFieldText(field, *value));
      StringGrid1->SetCellHint(field.Column, SummaryRow, FieldHint(field, *value));
    }
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

void TForm1::POP3PacketRecvd(platform::TComponent*) {}

void TForm1::FormKeyPress(char&) { StopRequested = true; }

}  // namespace app
