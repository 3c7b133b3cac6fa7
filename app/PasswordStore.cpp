// Where a saved password lives: in the desktop's keyring when one answers,
// with only the marker EMAIL PasswordIn=Keyring in the settings file;
// otherwise scrambled under EMAIL Password, as settings files always held
// it (and still may, from before the keyring was used: such a password
// moves into the keyring at the next save).
#include <cstdio>
#include <string>

#include "app/POP3Unit1.h"
#include "app/PasswordScrambler.h"
#include "app/Settings.h"
#include "platform/core/DataFolder.h"
#include "platform/gui/PasswordKeyring.h"

namespace app {

namespace {

namespace keyring = platform::keyring;

bool MarkedInKeyring(const platform::ProfileFile& file) {
  return file.ReadString(settings::kEmail, settings::kPasswordIn, "") == settings::kInKeyring;
}

}  // namespace

std::string TForm1::ReadPasswordSetting(const platform::ProfileFile& file) {
  std::string stored = file.ReadString(settings::kEmail, settings::kPassword, "");
  if (!MarkedInKeyring(file)) return DecodeStoredPassword(stored);
  std::string password;
  keyring::Status status = keyring::ReadPassword(settings::kKeyringEntry, password);
  if (status == keyring::Status::Done) return password;
  if (status == keyring::Status::NoKeyring) {
    // The password is still there for a later run; a save that has no new
    // password to store must not drop it (see SavePasswordSetting).
    KeyringPasswordUnread = true;
    ReportNoKeyring();
  }
  return DecodeStoredPassword(stored);
}

// The keyring's entry is removed only when the settings file says it is
// there, so that a run without a saved password asks the keyring nothing.
void TForm1::SavePasswordSetting() {
  using namespace settings;
  std::string password = PasswordEdit->Text();
  bool keepPassword = CheckBox1->Checked() && !password.empty();
  bool markedInKeyring = MarkedInKeyring(SettingsFile());
  if (!keepPassword && KeyringPasswordUnread && password.empty()) {
    WriteSetting(kEmail, kPassword, "");
    return;
  }
  if (keepPassword && keyring::StorePassword(kKeyringEntry, password) == keyring::Status::Done) {
    WriteSetting(kEmail, kPassword, "");
    WriteSetting(kEmail, kPasswordIn, kInKeyring);
    return;
  }
  if (keepPassword) ReportNoKeyring();
  if (!keepPassword && markedInKeyring) keyring::RemovePassword(kKeyringEntry);
  WriteSetting(kEmail, kPassword, keepPassword ? EncodeStoredPassword(password) : std::string());
  if (markedInKeyring) WriteSetting(kEmail, kPasswordIn, "");
}

// Said once per run, on the terminal or in the session's log: a box at
// close would keep the window from closing.
void TForm1::ReportNoKeyring() {
  if (NoKeyringReported) return;
  NoKeyringReported = true;
  std::fprintf(stderr, "pop3check: no keyring answered; the saved password is kept scrambled in %s\n",
               platform::SettingsFilePath().c_str());
}

}  // namespace app
