// The window's side of the saved password (app/PasswordStore.h): the
// password edit and the "Save" tick box, filled when the keyring answers,
// and the password saved through the store when the window closes.
#include <string>

#include "app/MailboxChoice.h"
#include "app/POP3Unit1.h"
#include "app/SettingsStore.h"
#include "app/StatusLine.h"
#include "app/CommandRun.h"
#include "app/PasswordScrambler.h"
#include "app/PasswordStore.h"
#include "app/Settings.h"
#include "platform/core/Translate.h"

namespace app {

std::string SettingsStore::ReadPasswordSetting(MailboxAccount& account, const platform::ProfileFile& file) {
  account.Passwords.OnPasswordRead = [this, &account](const std::string& password) {
    KeyringPasswordRead(account, password);
  };
  return account.Passwords.Load(file);
}

// The keyring answers while the window is in use: a password the user has
// typed meanwhile is theirs and stays. Otherwise the window becomes what
// start-up would have made it with the password at hand: "Save" goes with a
// stored password, and a save writes the password only once it changes.
void SettingsStore::KeyringPasswordRead(MailboxAccount& account, const std::string& password) {
  if (&account == &form_.choice_->ChosenAccount()) {
    if (!form_.PasswordEdit->Text().empty()) return;
    form_.PasswordEdit->SetText(password);
    form_.CheckBox1->SetChecked(true);
  } else {
    if (!account.Password.empty()) return;
    account.Password = password;
    account.SavePassword = true;
  }
  account.StoredPassword = password;
  account.StoredSave = true;
  if (&account == &form_.choice_->Account(0)) loaded_[settings::kPassword].Saved = EncodeStoredPassword(password);
}

// A command that needs the password while the keyring's read is still out
// waits for it, in sight, within the keyring's time-out; a close of the
// window ends the wait. Without an answer the edit stays empty, and the
// client refuses to log in without a password.
void SettingsStore::AwaitKeyringPassword(MailboxAccount& account) {
  const bool chosen = &account == &form_.choice_->ChosenAccount();
  const std::string& typed = chosen ? form_.PasswordEdit->Text() : account.Password;
  if (!account.Passwords.Reading() || !typed.empty()) return;
  std::string status = form_.Label5->Text();
  form_.status_->Show(platform::Tr("Status", "Waiting for the keyring ..."));
  account.Passwords.AwaitRead([this] { return form_.commands_->CloseRequested(); });
  form_.status_->Show(status);
}

// The first mailbox's password; the others' are saved with their sections
// (app/MailboxSettingsFile.cpp).
void SettingsStore::SavePasswordSetting() {
  MailboxAccount& first = form_.choice_->Account(0);
  bool keepPassword = first.SavePassword && !first.Password.empty();
  first.Passwords.Save(first.Password, keepPassword, [this] { LeaveWhileSaving(); });
}

// The save comes only as the window closes. The keyring may take its time
// to answer: the window goes at once, rather than stand on the screen
// unable to do anything, and no automatic check starts meanwhile.
void SettingsStore::LeaveWhileSaving() {
  form_.Timer1->SetEnabled(false);
  form_.TrayIcon1->Hide();
  form_.Window->Hide();
}

}  // namespace app
