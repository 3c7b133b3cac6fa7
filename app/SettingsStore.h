#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "mailbox/MailboxSettings.h"
#include "platform/core/ProfileFile.h"

namespace app {

struct MailboxAccount;
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
  // chosen mailbox's account in the edits, the security its section keeps.
  // A password still coming from the keyring is waited for first, in sight.
  mailbox::MailboxSettings ForCommand();
  // The same for the index-th mailbox, chosen or not.
  mailbox::MailboxSettings ForMailbox(std::size_t index);
  // The security choice in the window's context menu, checked for the
  // chosen mailbox.
  void AppendSecurityMenu();
  void ShowSecurityChoice();
  bool SecurityMenuCommand(int command);
  // The first mailbox was removed: the one now first is written whole
  // into EMAIL (and its password under the first mailbox's keyring entry)
  // at the next save.
  void FirstMailboxReplaced();
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

  // The mailboxes after the first, their names and AutoCheck switches, and
  // the choice (app/MailboxSettingsFile.cpp).
  void ReadMailboxes(const platform::ProfileFile& file);
  void ReadMailboxSwitches(MailboxAccount& account, const platform::ProfileFile& file, const std::string& section);
  void SaveMailboxes(std::vector<std::string>& failures);
  void SaveMailbox(std::size_t index);
  void WriteChanged(MailboxAccount& account, const std::string& section, const char* key, const std::string& value,
                    const char* defaultValue);

  // The saved password (app/PasswordField.cpp).
  std::string ReadPasswordSetting(MailboxAccount& account, const platform::ProfileFile& file);
  void KeyringPasswordRead(MailboxAccount& account, const std::string& password);
  void AwaitKeyringPassword(MailboxAccount& account);
  void SavePasswordSetting();
  void LeaveWhileSaving();

  TForm1& form_;
  // The keys a save writes, by key name, as start-up found and left them.
  std::map<std::string, LoadedSetting> loaded_;
  // [MAILBOXES] Chosen as start-up found it.
  std::optional<std::string> storedChoice_;
};

}  // namespace app
