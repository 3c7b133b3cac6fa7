#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/core/ProfileFile.h"
#include "platform/gui/PasswordKeyring.h"

namespace app {

// Where a mailbox's saved password lives: in the desktop's keyring when one
// answers, with only the marker PasswordIn=Keyring in the mailbox's section
// of the settings file; otherwise scrambled under the section's Password, as settings files always
// held it (and still may, from before the keyring was used: such a password
// moves into the keyring at the next save).
//
// The keyring is asked asynchronously: start-up only starts its read, whose
// answer comes later through OnPasswordRead. Waits happen only where the
// caller asks for them (a command that needs the password, the save), each
// within the keyring's time-out and serving every event meanwhile. A
// keyring that once did not answer in time is not asked again in this run.
class PasswordStore {
 public:
  // The mailbox whose password it keeps: its section of the settings file
  // and its keyring entry.
  PasswordStore(std::string section, std::string entry);
  ~PasswordStore();
  PasswordStore(const PasswordStore&) = delete;
  PasswordStore& operator=(const PasswordStore&) = delete;

  // The mailbox's section and entry were renumbered: the next Save writes
  // there.
  void MoveTo(std::string section, std::string entry);
  // The same when the entry's name changes with the account (its user or
  // server, or its becoming the first mailbox): a password the keyring
  // holds under the old name and gave at start-up is removed there, so
  // that no entry is left behind; true when it was, and the password is
  // then to be saved again.
  bool Rename(std::string section, std::string entry, const std::function<void()>& beforeWaiting);

  // Start-up: the password the settings file holds; when the file says it
  // is in the keyring, an empty text, and the keyring's read starts.
  std::string Load(const platform::ProfileFile& file);
  // The read Load started has not answered yet.
  bool Reading() const;
  // Waits until the read has answered (at most the keyring's time-out) or
  // giveUp() holds, serving every event meanwhile.
  void AwaitRead(const std::function<bool()>& giveUp);
  // The read's answer: the saved password (from the keyring, or, where the
  // keyring gave none, a scrambled one the file also held). Not called when
  // there is none.
  std::function<void(const std::string& password)> OnPasswordRead;

  // Keeps password as the saved one (keep), or removes the saved one.
  // beforeWaiting is called before any wait for the keyring. Where the
  // keyring does not take the password, it goes scrambled into the file;
  // an empty password never replaces one the keyring holds but did not
  // give at start-up. Raises platform::EFileError (see WriteSetting).
  void Save(const std::string& password, bool keep, const std::function<void()>& beforeWaiting);

 private:
  void ReadAnswered();
  // The file names the keyring, but the keyring has not given the password.
  bool PasswordUnread() const;
  // Starts a call (unless the keyring did not answer before) and waits for
  // its answer.
  platform::keyring::Status Ask(const std::function<std::unique_ptr<platform::keyring::Call>()>& start,
                                const std::function<void()>& beforeWaiting);
  void ReportNoKeyring();

  std::string section_;
  std::string entry_;
  std::unique_ptr<platform::keyring::Call> read_;
  std::string fileFallback_;  // the file's own password, while the keyring is read
  bool keyringSilent_ = false;
  bool noKeyringReported_ = false;
};

}  // namespace app
