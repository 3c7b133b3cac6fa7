// The window's side of the saved password (app/PasswordStore.h): the
// password edit and the "Save" tick box, filled when the keyring answers,
// and the password saved through the store when the window closes.
#include <string>

#include "app/POP3Unit1.h"
#include "app/PasswordScrambler.h"
#include "app/PasswordStore.h"
#include "app/Settings.h"

namespace app {

std::string TForm1::ReadPasswordSetting(const platform::ProfileFile& file) {
  Passwords->OnPasswordRead = [this](const std::string& password) { KeyringPasswordRead(password); };
  return Passwords->Load(file);
}

// The keyring answers while the window is in use: a password the user has
// typed meanwhile is theirs and stays. Otherwise the window becomes what
// start-up would have made it with the password at hand: "Save" goes with a
// stored password, and a save writes the password only once it changes.
void TForm1::KeyringPasswordRead(const std::string& password) {
  if (!PasswordEdit->Text().empty()) return;
  PasswordEdit->SetText(password);
  CheckBox1->SetChecked(true);
  LoadedSettings[settings::kPassword].Saved = EncodeStoredPassword(password);
}

// A command that needs the password while the keyring's read is still out
// waits for it, in sight, within the keyring's time-out; a close of the
// window ends the wait. Without an answer the edit stays empty, and the
// client refuses to log in without a password.
void TForm1::AwaitKeyringPassword() {
  if (!Passwords->Reading() || !PasswordEdit->Text().empty()) return;
  std::string status = Label5->Text();
  ShowStatus("Waiting for the keyring ...");
  Passwords->AwaitRead([this] { return CloseRequested; });
  ShowStatus(status);
}

void TForm1::SavePasswordSetting() {
  std::string password = PasswordEdit->Text();
  bool keepPassword = CheckBox1->Checked() && !password.empty();
  Passwords->Save(password, keepPassword, [this] { LeaveWhileSaving(); });
}

// The save comes only as the window closes. The keyring may take its time
// to answer: the window goes at once, rather than stand on the screen
// unable to do anything, and no automatic check starts meanwhile.
void TForm1::LeaveWhileSaving() {
  Timer1->SetEnabled(false);
  TrayIcon1->Hide();
  Window->Hide();
}

}  // namespace app
