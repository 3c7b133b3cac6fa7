#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "mailbox/MailboxSettings.h"
#include "platform/core/ProfileFile.h"

namespace app {

class PasswordStore;
class TForm1;

// The settings file as the window reads and writes it: start-up fills the
// controls, a save writes what the user changed; the saved password with
// its keyring; the connection security of each session, with the question
// before a log-in in clear and the hosts seen offering TLS.
class SettingsStore {
 public:
  explicit SettingsStore(TForm1& form);
  ~SettingsStore();

  // Start-up (app/StartUp.cpp): reads the settings into the window, then
  // writes only what it must (the interval as clamped, a missing PlayWave).
  // Raises at a value that is no number, after recording what it read;
  // the caller then records the start-up state all the same.
  void ReadIntoWindow();
  // Notes what a save would write for the window as start-up left it.
  void RecordStartUpState();
  // Writes every value the user changed (app/Settings.cpp); one that cannot
  // be written is skipped and the others are still written. Raises
  // afterwards, with one text naming every distinct failure.
  void Save();

  // The settings of a command's session (app/ConnectionSecurity.cpp): the
  // account in the edits, the security the file keeps. A password still
  // coming from the keyring is waited for first, in sight.
  mailbox::MailboxSettings ForCommand();
  // The security choice in the window's context menu.
  void AppendSecurityMenu();
  bool SecurityMenuCommand(int command);
  // Asked once per host before a log-in in clear; the answer is kept.
  bool AllowPlaintextLogIn(const std::string& host);
  // A host seen offering TLS is refused a session without it from now on.
  void RememberTls(const std::string& host);

 private:
  std::optional<std::string> ReadSavedSetting(const platform::ProfileFile& file, const char* section,
                                              const char* key);
  void WriteStartUpSettings(const std::string& interval, const std::optional<std::string>& storedInterval,
                            const std::optional<std::string>& storedPlayWave);
  void ApplySoundSetting(const std::string& playWave);
  std::vector<SettingValue> SavedSettingValues() const;
  bool NeedsWriting(const SettingValue& value) const;

  // The saved password (app/PasswordField.cpp).
  std::string ReadPasswordSetting(const platform::ProfileFile& file);
  void KeyringPasswordRead(const std::string& password);
  void AwaitKeyringPassword();
  void SavePasswordSetting();
  void LeaveWhileSaving();

  TForm1& form_;
  // The keys a save writes, by key name, as start-up found and left them.
  std::map<std::string, LoadedSetting> loaded_;
  std::unique_ptr<PasswordStore> passwords_;
};

}  // namespace app
