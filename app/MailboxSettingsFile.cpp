// The mailboxes in the settings file: EMAIL holds the first (read and
// written as it always was, app/StartUp.cpp and app/Settings.cpp), EMAIL2,
// EMAIL3, ... the others in order, and MAILBOXES Chosen the one shown.
#include <algorithm>
#include <string>
#include <vector>

#include "app/MailboxChoice.h"
#include "app/POP3Unit1.h"
#include "app/Settings.h"
#include "app/SettingsStore.h"
#include "mailbox/MatchRules.h"
#include "platform/core/Exception.h"

namespace app {

namespace {

// More would be no settings file a person keeps.
constexpr int kMostMailboxes = 99;

bool SaysNo(const std::string& text) { return mailbox::AsciiUpper(text) == "NO"; }

}  // namespace

// A section counts as a mailbox when it names a server or a user; the
// first gap ends the list. The choice is shown at once, so that a start-up
// that stops later leaves the chosen mailbox in the edits.
void SettingsStore::ReadMailboxes(const platform::ProfileFile& file) {
  using namespace settings;
  for (int i = 1; i < kMostMailboxes; ++i) {
    const std::string section = MailboxSection(i);
    std::optional<std::string> server = file.ReadValue(section, kServer);
    std::optional<std::string> user = file.ReadValue(section, kUserID);
    if (!server && !user) break;
    MailboxAccount& account = form_.choice_->Append();
    account.Server = server.value_or("");
    account.UserID = user.value_or("");
    account.Stored[kServer] = server;
    account.Stored[kUserID] = user;
    account.Written = true;
    account.Passwords.MoveTo(section, KeyringEntry(i, account.UserID, account.Server));
    account.Password = ReadPasswordSetting(account, file);
    account.SavePassword = !account.Password.empty();
    account.StoredPassword = account.Password;
    account.StoredSave = account.SavePassword;
    ReadMailboxSwitches(account, file, section);
  }
  storedChoice_ = file.ReadValue(kMailboxes, kChosen);
  const std::int32_t chosen = mailbox::StrToIntLeadingBlanks(storedChoice_.value_or("1"));
  form_.choice_->ChooseAtStart(chosen >= 1 ? static_cast<std::size_t>(chosen - 1) : 0);
}

void SettingsStore::ReadMailboxSwitches(MailboxAccount& account, const platform::ProfileFile& file,
                                        const std::string& section) {
  using namespace settings;
  account.Stored[kName] = file.ReadValue(section, kName);
  account.Name = account.Stored[kName].value_or("");
  account.Stored[kMailboxAutoCheck] = file.ReadValue(section, kMailboxAutoCheck);
  account.AutoCheck = !SaysNo(account.Stored[kMailboxAutoCheck].value_or("Yes"));
}

// Each write stands alone: one that fails is named, and the others are
// still tried.
void SettingsStore::SaveMailboxes(std::vector<std::string>& failures) {
  auto attempt = [&](const auto& write) {
    try {
      write();
    } catch (const platform::EFileError& error) {
      if (std::find(failures.begin(), failures.end(), error.Message()) == failures.end())
        failures.push_back(error.Message());
    }
  };
  MailboxChoice& choice = *form_.choice_;
  for (std::size_t i = 0; i < choice.Count(); ++i) attempt([&] { SaveMailbox(i); });
  const std::string chosen = std::to_string(choice.Chosen() + 1);
  if (storedChoice_.value_or("1") != chosen) {
    attempt([&] {
      WriteSetting(settings::kMailboxes, settings::kChosen, chosen);
      storedChoice_ = chosen;
    });
  }
}

// The first mailbox's account is saved with the other settings; here only
// its name and switch. A mailbox added since start-up gets its whole
// section.
void SettingsStore::SaveMailbox(std::size_t index) {
  using namespace settings;
  MailboxAccount& account = form_.choice_->Account(index);
  const std::string section = MailboxSection(static_cast<int>(index));
  if (index > 0) {
    const bool added = !account.Written;
    if (added) {
      account.Stored.erase(kServer);
      account.Stored.erase(kUserID);
    }
    WriteChanged(account, section, kServer, account.Server, added ? nullptr : "");
    WriteChanged(account, section, kUserID, account.UserID, added ? nullptr : "");
    account.Written = true;
    const bool keep = account.SavePassword && !account.Password.empty();
    const bool renamed = account.Passwords.Rename(
        section, KeyringEntry(static_cast<int>(index), account.UserID, account.Server), [this] { LeaveWhileSaving(); });
    // A password kept scrambled goes to the keyring once one answers, as
    // the first mailbox's does.
    const bool scrambled = keep && SettingsFile().ReadString(section, kPasswordIn, "") != kInKeyring;
    if (added || scrambled || renamed || account.Password != account.StoredPassword || keep != account.StoredSave) {
      account.Passwords.Save(account.Password, keep, [this] { LeaveWhileSaving(); });
      account.StoredPassword = account.Password;
      account.StoredSave = keep;
    }
    if (added) WriteChanged(account, section, kMailboxAutoCheck, account.AutoCheck ? "Yes" : "No", nullptr);
  }
  WriteChanged(account, section, kName, account.Name, "");
  if (account.Stored[kMailboxAutoCheck] || !account.AutoCheck)
    WriteChanged(account, section, kMailboxAutoCheck, account.AutoCheck ? "Yes" : "No", "Yes");
}

// Written when it differs from what the file holds (a missing key reading
// as defaultValue; none: a missing key is always written).
void SettingsStore::WriteChanged(MailboxAccount& account, const std::string& section, const char* key,
                                 const std::string& value, const char* defaultValue) {
  const std::optional<std::string>& stored = account.Stored[key];
  if (stored ? *stored == value : (defaultValue != nullptr && value == defaultValue)) return;
  if (stored && SaysNo(*stored) == SaysNo(value) && key == std::string(settings::kMailboxAutoCheck)) return;
  WriteSetting(section, key, value);
  account.Stored[key] = value;
}

void SettingsStore::FirstMailboxReplaced() {
  for (const char* key : {settings::kServer, settings::kUserID, settings::kPassword}) loaded_.erase(key);
  MailboxAccount& first = form_.choice_->Account(0);
  first.StoredSave = false;
  first.StoredPassword.clear();
}

}  // namespace app
