#include <exception>

#include "app/CommandRun.h"
#include "app/ListView.h"
#include "app/POP3Unit1.h"
#include "app/RunThenFinish.h"
#include "app/StatusLine.h"
#include "app/Viewer.h"
#include "platform/gui/Dialogs.h"
#include "platform/core/Translate.h"

namespace app {

namespace {

constexpr char kEscape = 27;

}  // namespace

// The grid asks once per click or space bar and then toggles the tick box
// itself (StringGrid1CheckBoxClick tells the mailbox's row), so flipping it
// here as well would cancel the user's toggle. Text cells are never
// editable; the grid does not even offer them.
void TForm1::StringGrid1CanEditCell(int ARow, int ACol, bool& canedit) {
  if (!StringGrid1->HasCheckBox(ACol, ARow)) {
    canedit = false;
    return;
  }
  StringGrid1->Repaint();
}

// The tick belongs to the mailbox's row: a deletion reads it there.
void TForm1::StringGrid1CheckBoxClick(int, int ARow, bool State) {
  if (mailbox_->List().Has(ARow)) mailbox_->List().SetTicked(ARow, State);
}

void TForm1::StringGrid1KeyPress(char& Key) {
  if (Key == kEscape) ClearMessageList();
}

void TForm1::StringGrid1Enter() { HideRuleEdits(); }

// Every command but a viewer fetch disables the label. While a fetch waits
// on the server, closing the viewer would restart the auto-check timer
// under the running session, and the fetch would show the viewer again.
void TForm1::Label3Click() {
  if (commands_->Running()) return;
  CheckButton->SetHint("");
  SetApplicationTitle(kApplicationTitle);
  MailAlerted = false;
  HideRuleEdits();
  // The viewer stops the auto-check timer for as long as it is open.
  if (Memo1->Visible()) commands_->RestartAutoCheckTimer();
  viewer_->Close();
  ClearMessageList();
}

// Another command waiting on the server (an automatic check, or a viewer
// fetch, which leaves the list enabled) owns the mailbox's session: one
// opened here would close the one it waits on.
void TForm1::StringGrid1RightClickCell(int ARow, int) {
  if (AutoCheckBusy || commands_->Running()) return;
  if (!mailbox_->List().Has(ARow) || mailbox_->List().Row(ARow).Number <= 0) return;
  if (!platform::AskYesNo(platform::Tr("Check", "Analyse This Item ?"))) return;

  CommandRun::Scope command(*commands_);
  Timer1->SetEnabled(false);
  SavedCursor = platform::ScreenCursor();
  platform::SetScreenCursor(platform::CursorShape::HourGlass);
  status_->Show(platform::Tr("Status", "Connecting ..."));
  SetControlsEnabled(false);
  // A refused QUIT reaches the error box, with the window given back.
  RunThenFinish(
      [&] {
        commands_->ApplyMailboxSettings();
        mailbox_->AnalyseRow(ARow);
      },
      [&] {
        platform::SetScreenCursor(SavedCursor);
        Label5->SetText("");
        status_->Hide();
        SetControlsEnabled(true);
        commands_->RestartAutoCheckTimer();
      });
}

// Walks the rows up to and including ListTotal, as the last check left it
// (rows past it keep their state), and never past the rows there are.
void TForm1::Label8Click() {
  SelectAllState = !SelectAllState;
  mailbox::MessageList& list = mailbox_->List();
  for (int row = 0; row <= ListTotal && row < list.Count(); ++row)
    if (list.Row(row).Number > 0) list.SetTicked(row, SelectAllState);
}

}  // namespace app
