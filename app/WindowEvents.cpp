// The handlers wired to the controls' events, and the group operations
// that most commands share.
#include "app/POP3Unit1.h"
#include "platform/gui/Application.h"

namespace app {

namespace {

void WireShell(TForm1& f) {
  platform::Application::SetOnMinimize([&f] { f.AppMinimized(); });
  f.Window->OnKeyPress = [&f](char& key) { f.FormKeyPress(key); };
  f.Window->OnSystemCommand = [&f](int command) { f.SystemCommand(command); };
  f.Window->OnCloseQuery = [&f](bool& canClose) { f.WindowCloseQuery(canClose); };
  f.TrayIcon1->OnClick = [&f] { f.TrayIcon1Click(); };
  f.TrayIcon1->OnDblClick = [&f] { f.TrayIcon1DblClick(); };
  f.Notifier1->OnActivated = [&f] { f.Notifier1Activated(); };
  f.CheckButton->OnClick = [&f] { f.CheckButtonClick(); };
  f.ExitButton->OnClick = [&f] { f.ExitButtonClick(); };
}

void WireListAndViewer(TForm1& f) {
  f.StringGrid1->OnCanEditCell = [&f](int row, int col, bool& canEdit) { f.StringGrid1CanEditCell(row, col, canEdit); };
  f.StringGrid1->OnCheckBoxClick = [&f](int col, int row, bool checked) { f.StringGrid1CheckBoxClick(col, row, checked); };
  f.StringGrid1->OnKeyPress = [&f](char& key) { f.StringGrid1KeyPress(key); };
  f.StringGrid1->OnEnter = [&f] { f.StringGrid1Enter(); };
  f.StringGrid1->OnRightClickCell = [&f](int row, int col) { f.StringGrid1RightClickCell(row, col); };
  f.StringGrid1->OnDblClickCell = [&f](int row, int col) { f.StringGrid1DblClickCell(row, col); };
  f.Label3->OnClick = [&f] { f.Label3Click(); };
  f.Label8->OnClick = [&f] { f.Label8Click(); };
  f.DeleteButton->OnClick = [&f] { f.DeleteButtonClick(); };
  f.Memo1->OnDblClick = [&f] { f.Memo1DblClick(); };
  f.Memo1->OnKeyPress = [&f](char& key) { f.Memo1KeyPress(key); };
  f.Memo1->OnClick = [&f] { f.Memo1Click(); };
}

void WireRulesAndPanel(TForm1& f) {
  f.Timer1->SetOnTimer([&f] { f.Timer1Timer(); });
  f.Label1->OnClick = [&f] { f.Label1Click(); };
  f.Label2->OnClick = [&f] { f.Label2Click(); };
  f.Label4->OnClick = [&f] { f.Label4Click(); };
  f.Edit1->OnEnter = [&f] { f.Edit1Enter(); };
  f.Edit2->OnEnter = [&f] { f.Edit2Enter(); };
  f.Edit3->OnEnter = [&f] { f.Edit3Enter(); };
  f.Edit1->OnExit = [&f] { f.Edit1Exit(); };
  f.Edit2->OnExit = [&f] { f.Edit2Exit(); };
  f.Edit3->OnExit = [&f] { f.Edit3Exit(); };
  f.CheckBox2->OnEnter = [&f] { f.CheckBox2Enter(); };
  f.CheckBox2->OnExit = [&f] { f.CheckBox2Exit(); };
  f.IPedit->OnEnter = [&f] { f.IPeditEnter(); };
  f.UserEdit->OnEnter = [&f] { f.UserEditEnter(); };
  f.PasswordEdit->OnEnter = [&f] { f.PasswordEditEnter(); };
  f.CheckBox1->OnEnter = [&f] { f.CheckBox1Enter(); };
  f.CheckBox1->OnClick = [&f] { f.CheckBox1Click(); };
  f.Label7->OnClick = [&f] { f.Label7Click(); };
  f.Label7->OnDblClick = [&f] { f.Label7DblClick(); };
  f.IPedit->OnChange = [&f] { f.IPeditChange(); };
  f.UserEdit->OnChange = [&f] { f.UserEditChange(); };
  f.IPlabel->OnClick = [&f] { f.IPlabelClick(); };
  f.IPlabel->OnDblClick = [&f] { f.IPlabelDblClick(); };
}

}  // namespace

// Only handlers that exist are wired; an event without a handler is
// skipped by its control.
void WireWindowEvents(TForm1& form) {
  WireShell(form);
  WireListAndViewer(form);
  WireRulesAndPanel(form);
}

void TForm1::ClearMessageList() { mailbox_->List().Clear(); }

void TForm1::SetControlsEnabled(bool enabled) {
  platform::Control* group[] = {IPedit.get(),    UserEdit.get(),    PasswordEdit.get(), CheckBox1.get(),
                                CheckBox2.get(), CheckBox3.get(),   CheckBox4.get(),    CheckBox5.get(),
                                Label1.get(),    Label2.get(),      Label3.get(),       Label4.get(),
                                StringGrid1.get(), CheckButton.get(), DeleteButton.get(), ExitButton.get()};
  for (platform::Control* control : group) control->SetEnabled(enabled);
}

void TForm1::HideRuleEdits() {
  Edit1->Hide();
  Edit2->Hide();
  Edit3->Hide();
}

}  // namespace app
