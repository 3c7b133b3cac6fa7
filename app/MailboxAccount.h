#pragma once

#include <map>
#include <optional>
#include <string>

#include "app/PasswordStore.h"
#include "mailbox/Mailbox.h"

namespace app {

// One mailbox the window watches: its account as the settings file keeps
// it, with its own saved password and its own mailbox (rows and session).
// The chosen mailbox's account is shown in the edits, which then hold its
// current values; the others keep theirs here.
struct MailboxAccount {
  MailboxAccount(int index, mailbox::MailboxEvents& events);

  std::string Server;
  std::string UserID;
  std::string Password;
  bool SavePassword = false;  // "Save Password" ticked for it
  std::string Name;           // as the file gives it; empty: ShownName() makes one
  bool AutoCheck = true;      // the automatic check includes it

  // Written since start-up or read from the file: a save compares with
  // these and writes a key only when its value changed. A key the file
  // lacked has none.
  std::map<std::string, std::optional<std::string>> Stored;
  std::string StoredPassword;  // the password as start-up (or the keyring) gave it
  bool StoredSave = false;
  bool Written = false;        // its section is in the file

  PasswordStore Passwords;
  mailbox::Mailbox Box;

  // Name, or UserID@host, or a word for an account still empty.
  std::string ShownName() const;
};

// The section of the index-th mailbox (from 0): EMAIL, EMAIL2, EMAIL3, ...
std::string MailboxSection(int index);
// The keyring entry of a mailbox: the first keeps the entry of old; the
// others are named by their user and server.
std::string KeyringEntry(int index, const std::string& userID, const std::string& server);

}  // namespace app
