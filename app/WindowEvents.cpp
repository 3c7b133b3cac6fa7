#include "app/FailureNote.h"
#include "app/POP3Unit1.h"
#include "platform/gui/Application.h"

namespace app {

// Only handlers that exist are wired; an event without a handler is
// skipped by its control.
void TForm1::WireEvents() {
  platform::Application::SetOnMinimize([this] { AppMinimized(); });
  Window->OnKeyPress = [this](char& key) { FormKeyPress(key); };
  Window->OnSystemCommand = [this](int command) { SystemCommand(command); };
  Window->OnCloseQuery = [this](bool& canClose) { WindowCloseQuery(canClose); };
  TrayIcon1->OnClick = [this] { TrayIcon1Click(); };
  TrayIcon1->OnDblClick = [this] { TrayIcon1DblClick(); };
  CheckButton->OnClick = [this] { CheckButtonClick(); };

  POP3->OnInvalidHost = [this](bool& handled) { POP3InvalidHost(handled); };
  POP3->OnConnectionFailed = [this](platform::TComponent* sender) { POP3ConnectionFailed(sender); };
  POP3->OnPacketRecvd = [this](platform::TComponent* sender) { POP3PacketRecvd(sender); };
  POP3->OnAuthenticationFailed = [this](bool& handled) { POP3AuthenticationFailed(handled); };
  POP3->OnList = [this](std::int32_t msg, std::int32_t size) { POP3List(msg, size); };
  POP3->OnRetrieveEnd = [this](platform::TComponent* sender) { POP3RetrieveEnd(sender); };
  POP3->OnFailure = [this](platform::TComponent* sender) { POP3Failure(sender); };
  POP3->OnDecodeEnd = [this](platform::TComponent* sender) { POP3DecodeEnd(sender); };
  POP3->OnSecurityFailure = [this](const std::string& text) { POP3SecurityFailure(text); };
  POP3->OnPlaintextLogin = [this](bool& handled) { POP3PlaintextLogin(handled); };
  POP3->OnConnect = [this](platform::TComponent* sender) { POP3LoggedIn(sender); };
  WireViewerEvents();
  WireMessageListEvents();
  WireAutoCheckEvents();
  WireSettingsEvents();
}

void TForm1::ClearMessageList() {
  ListedIds.clear();
  StringGrid1->RemoveRows(0, StringGrid1->RowCount() - 1);
  if (StringGrid1->HasCheckBox(0, 0)) StringGrid1->RemoveCheckBox(0, 0);
  for (int col = 0; col < StringGrid1->ColCount(); ++col) {
    StringGrid1->SetCell(col, 0, "");
    StringGrid1->SetCellHint(col, 0, "");
  }
}

void TForm1::SetControlsEnabled(bool enabled) {
  platform::Control* group[] = {IPedit.get(),    UserEdit.get(),    PasswordEdit.get(), CheckBox1.get(),
                                CheckBox2.get(), CheckBox3.get(),   CheckBox4.get(),    CheckBox5.get(),
                                Label1.get(),    Label2.get(),      Label3.get(),       Label4.get(),
                                StringGrid1.get(), CheckButton.get(), DeleteButton.get(), ExitButton.get()};
  for (platform::Control* control : group) control->SetEnabled(enabled);
}

void TForm1::CopyCredentials() {
  AwaitKeyringPassword();
  ServerAddress address = SplitServerAddress(IPedit->Text());
  POP3->Host = address.Host;
  POP3->Port = address.Port;
  ApplyConnectionSecurity(address);
  POP3->UserID = UserEdit->Text();
  POP3->Password = PasswordEdit->Text();
}

void TForm1::HideRuleEdits() {
  Edit1->Hide();
  Edit2->Hide();
  Edit3->Hide();
}

void TForm1::ShowStatus(const std::string& text) {
  Label5->SetText(text);
  Label5->Show();
  Label5->Repaint();
}

void TForm1::ShowListForCommand() {
  ClearIncompleteNote();
  Memo1->Hide();
  ViewerFetch = false;
  StringGrid1->Show();
  ShowStatus("Connecting ...");
  SetControlsEnabled(false);
}

void TForm1::BeginUserListCommand() {
  SetApplicationTitle(kApplicationTitle);
  MailAlerted = false;
  Timer1->SetEnabled(false);
  HideRuleEdits();
  ShowListForCommand();
}

void TForm1::PrepareSession() {
  POP3->Disconnect();
  CopyCredentials();
  SavedCursor = platform::ScreenCursor();
  platform::SetScreenCursor(platform::CursorShape::HourGlass);
}

void TForm1::NoteIncomplete(const std::string& shortText, const std::string& longText) {
  if (!IncompleteNote.empty() || CloseRequested) return;
  IncompleteNote = shortText;
  IncompleteHint = longText;
}

void TForm1::NoteIncomplete(const std::exception& failure, const std::string& extra) {
  const FailureNote note = NoteFor(failure, POP3->TimedOut());
  NoteIncomplete(note.Short + extra, note.Long);
}

void TForm1::ClearIncompleteNote() {
  IncompleteNote.clear();
  IncompleteHint.clear();
  Label5->SetHint("");
}

void TForm1::FinishStatusLine(const std::string& prefix) {
  if (IncompleteNote.empty()) {
    Label5->Hide();
    return;
  }
  ShowStatus(prefix + IncompleteNote);
  Label5->SetHint(IncompleteHint);
}

void TForm1::EndCheckSession() {
  try {
    POP3->Disconnect();
  } catch (const pop3::EOutOfStep& failure) {
    NoteIncomplete(failure);
  }
}

void TForm1::EndViewSession() {
  try {
    POP3->Disconnect();
  } catch (const pop3::EOutOfStep&) {
  }
}

void TForm1::RestartAutoCheckTimer() {
  Timer1->SetEnabled(false);
  Timer1->SetEnabled(true);
}

}  // namespace app
