#include <exception>

#include "app/MessageRows.h"
#include "app/POP3Unit1.h"
#include "app/RunThenFinish.h"
#include "platform/gui/Dialogs.h"

namespace app {

namespace {

constexpr char kEscape = 27;

}  // namespace

void TForm1::WireMessageListEvents() {
  StringGrid1->OnCanEditCell = [this](int row, int col, bool& canEdit) { StringGrid1CanEditCell(row, col, canEdit); };
  StringGrid1->OnCheckBoxClick = [this](int col, int row, bool checked) {
    StringGrid1CheckBoxClick(col, row, checked);
  };
  StringGrid1->OnKeyPress = [this](char& key) { StringGrid1KeyPress(key); };
  StringGrid1->OnEnter = [this] { StringGrid1Enter(); };
  StringGrid1->OnRightClickCell = [this](int row, int col) { StringGrid1RightClickCell(row, col); };
  Label3->OnClick = [this] { Label3Click(); };
  Label8->OnClick = [this] { Label8Click(); };
  DeleteButton->OnClick = [this] { DeleteButtonClick(); };
}

// The grid asks once per click or space bar and then toggles the tick box
// itself, so flipping it here as well would cancel the user's toggle. Text
// cells are never editable; the grid does not even offer them.
void TForm1::StringGrid1CanEditCell(int ARow, int ACol, bool& canedit) {
  if (!StringGrid1->HasCheckBox(ACol, ARow)) {
    canedit = false;
    return;
  }
  StringGrid1->Repaint();
}

void TForm1::StringGrid1CheckBoxClick(int, int, bool) {}

void TForm1::StringGrid1KeyPress(char& Key) {
  if (Key == kEscape) ClearMessageList();
}

void TForm1::StringGrid1Enter() { HideRuleEdits(); }

// Every command but a viewer fetch disables the label. While a fetch waits
// on the server, closing the viewer would restart the auto-check timer
// under the running session, and the fetch would show the viewer again.
void TForm1::Label3Click() {
  if (CommandDepth > 0) return;
  CheckButton->SetHint("");
  SetApplicationTitle(kApplicationTitle);
  MailAlerted = false;
  HideRuleEdits();
  // The viewer stops the auto-check timer for as long as it is open.
  if (Memo1->Visible()) RestartAutoCheckTimer();
  ViewerFetch = false;
  Label5->Hide();
  Memo1->Hide();
  ReleaseViewedMessage();
  StringGrid1->Show();
  StringGrid1->Repaint();
  ClearMessageList();
}

// Another command waiting on the server (an automatic check, or a viewer
// fetch, which leaves the list enabled) owns the POP3 client: a session
// opened here would close the one it waits on.
void TForm1::StringGrid1RightClickCell(int ARow, int) {
  if (AutoCheckBusy || CommandDepth > 0) return;
  const std::int32_t msg = RowMessageNumberOrZero(*StringGrid1, ARow);
  if (msg <= 0) return;
  if (!platform::AskYesNo("Analyse This Item ?")) return;
  AnalyseRow(ARow, msg);
}

void TForm1::AnalyseRow(int row, std::int32_t msg) {
  CommandScope command(*this);
  Timer1->SetEnabled(false);
  SavedCursor = platform::ScreenCursor();
  platform::SetScreenCursor(platform::CursorShape::HourGlass);
  ShowStatus("Connecting ...");
  SetControlsEnabled(false);
  auto finish = [this] {
    platform::SetScreenCursor(SavedCursor);
    Label5->SetText("");
    Label5->Hide();
    SetControlsEnabled(true);
    RestartAutoCheckTimer();
  };
  // A refused QUIT reaches the error box, with the window given back.
  RunThenFinish(
      [&] {
        try {
          POP3->Disconnect();
          CopyCredentials();
          POP3->Connect();
          SummaryRow = row;
          // The row's message, wherever the mailbox has moved it since the
          // check; a message that is gone leaves the row as it is.
          if (std::optional<std::int32_t> current = CurrentNumber(msg, ListedId(msg))) POP3->FetchSummary(*current);
        } catch (const std::exception&) {
          // The failure events have told the user what they tell; the row
          // keeps its cells.
        }
        POP3->Disconnect();
      },
      finish);
}

// Walks the rows up to and including ListTotal, as the last check left it
// (rows past it keep their state), and never past the rows there are.
void TForm1::Label8Click() {
  SelectAllState = !SelectAllState;
  try {
    const int lastRow = LastRowToWalk(*StringGrid1, ListTotal);
    for (int row = 0; row <= lastRow; ++row) {
      if (StringGrid1->Cell(kNumberColumn, row).empty()) continue;
      if (RowMessageNumber(*StringGrid1, row) > 0 && StringGrid1->HasCheckBox(kTickColumn, row))
        StringGrid1->SetCheckBoxState(kTickColumn, row, SelectAllState);
    }
  } catch (const std::exception&) {
    // A row without a proper number ends the walk.
  }
}

}  // namespace app
