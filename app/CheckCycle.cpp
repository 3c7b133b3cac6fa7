#include <algorithm>
#include <exception>

#include "app/MessageRows.h"
#include "app/POP3Unit1.h"
#include "app/RunThenFinish.h"
#include "platform/gui/Application.h"
#include "platform/core/EventLoop.h"

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
    // The boxes of the failure events and the one below tell the user; a
    // listing cut short has noted so.
  }
  if (ConnectPending) {
    if (!CloseRequested) platform::ShowInformation("Errors Encountered With " + IPedit->Text() + " - ABORTING !");
    CheckBox2->SetChecked(false);
  }
  EndCheckSession();
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
  const std::string counted = std::to_string(POP3->MailCount());
  try {
    POP3->ListMessages();
  } catch (const std::exception& failure) {
    NoteIncomplete(failure, ", " + std::to_string(ListedCount) + " of " + counted + " listed");
    throw;
  }
  const int expected = FetchLimit > 0 ? std::min(FetchLimit, POP3->MailCount()) : POP3->MailCount();
  if (ListedCount < expected) {
    NoteIncomplete(std::to_string(ListedCount) + " of " + counted + " listed",
                   "The server counted " + counted + " messages but listed only " + std::to_string(ListedCount) +
                       " of them.");
  }
  // A row is named by its unique id, which outlives the session; its
  // number holds only until the mailbox changes. Ids that cannot be read
  // leave the rows to the checks made without them.
  try {
    POP3->ListUniqueIds(ListedIds);
  } catch (const std::exception& failure) {
    ListedIds.clear();
    // A listing of ids cut short costs the session its summaries.
    if (!POP3->IsConnected()) NoteIncomplete(failure);
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

void TForm1::FetchSummaries() {
  StopRequested = false;
  WalkSummaries(true);
}

void TForm1::FinishManualCheck() {
  platform::SetScreenCursor(SavedCursor);
  SetControlsEnabled(true);
  FinishStatusLine();
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
