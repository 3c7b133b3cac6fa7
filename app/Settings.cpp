#include "app/Settings.h"

#include <algorithm>
#include <exception>
#include <utility>
#include <vector>

#include "app/MailboxChoice.h"
#include "app/POP3Unit1.h"
#include "app/PasswordStore.h"
#include "app/SettingsStore.h"
#include "app/PasswordScrambler.h"
#include "platform/core/DataFolder.h"
#include "platform/core/Exception.h"
#include "platform/core/Files.h"
#include "platform/gui/Application.h"
#include "platform/core/Translate.h"

namespace app {

SettingsStore::SettingsStore(TForm1& form) : form_(form) {}

SettingsStore::~SettingsStore() = default;

platform::ProfileFile SettingsFile() {
  return platform::ProfileFile(platform::SettingsFilePath(), platform::FileAccess::OwnerOnly);
}

// Start-up creates the folder; it is created again here in case it was
// removed while the program ran, so that the user's settings are not lost.
void WriteSetting(const std::string& section, const std::string& key, const std::string& value) {
  platform::CreateFolder(platform::DataFolder());
  SettingsFile().WriteString(section, key, value);
}

std::string AutoCheckHint(const std::string& minutes) {
  return platform::Substitute(platform::Tr("AutoCheck", "Auto-Check Every %1 Minute(s)"), {minutes});
}

// The first mailbox's account as the edits hold it when it is the chosen
// one (the caller parks the edits first).
std::vector<SettingValue> SettingsStore::SavedSettingValues() const {
  using namespace settings;
  const MailboxAccount& first = form_.choice_->Account(0);
  const std::string& password = first.Password;
  bool keepPassword = first.SavePassword && !password.empty();
  return {
      {kEmail, kServer, first.Server},
      {kEmail, kUserID, first.UserID},
      {kEmail, kPassword, keepPassword ? EncodeStoredPassword(password) : std::string()},
      {kAutoCheck, kFrom, form_.Edit1->Text()},
      {kAutoCheck, kSubject, form_.Edit2->Text()},
      {kAutoCheck, kSize, form_.Edit3->Text()},
      {kSound, kPlayWave, form_.CheckBox3->Checked() ? "Yes" : "No"},
  };
}

void SettingsStore::RecordStartUpState() {
  form_.choice_->Park();
  for (SettingValue& value : SavedSettingValues()) loaded_[value.Key].Saved = std::move(value.Value);
}

// What the user changed is written. What start-up read and the user left
// alone keeps its stored bytes (the window may show them otherwise, and
// "Sound" may be unticked only because the wave file is missing); it is
// written only to add a key the file lacked. What start-up never reached is
// not written. A password the user chose not to keep is always erased
// (unless start-up found none to show: one the keyring did not give is kept).
bool SettingsStore::NeedsWriting(const SettingValue& value) const {
  auto found = loaded_.find(value.Key);
  if (found == loaded_.end()) return true;
  const LoadedSetting& loaded = found->second;
  if (value.Key == std::string(settings::kPassword) && value.Value.empty())
    return !(loaded.Read && loaded.Saved.empty());
  // A password kept in this file goes to the keyring when one answers (with
  // none, the same bytes are written back).
  if (value.Key == std::string(settings::kPassword) &&
      SettingsFile().ReadString(settings::kEmail, settings::kPasswordIn, "") != settings::kInKeyring)
    return true;
  if (value.Value != loaded.Saved) return true;
  return loaded.Read && !loaded.Stored;
}

// The interval is not written here: every change of it is written at once.
void SettingsStore::Save() {
  for (std::size_t i = 0; i < form_.choice_->Count(); ++i) {
    try {
      form_.choice_->Account(i).Box.Disconnect();
    } catch (const std::exception&) {
      // The session ends with the program anyway; the settings still matter.
    }
  }
  form_.choice_->Park();
  std::vector<std::string> failures;
  for (const SettingValue& value : SavedSettingValues()) {
    if (!NeedsWriting(value)) continue;
    try {
      // The password has a place of its own (the keyring, or scrambled here).
      if (value.Key == std::string(settings::kPassword)) {
        SavePasswordSetting();
      } else {
        WriteSetting(value.Section, value.Key, value.Value);
      }
    } catch (const platform::EFileError& error) {
      if (std::find(failures.begin(), failures.end(), error.Message()) == failures.end())
        failures.push_back(error.Message());
    }
  }
  SaveMailboxes(failures);
  if (failures.empty()) return;
  std::string text = failures.front();
  for (std::size_t i = 1; i < failures.size(); ++i) text += ".\n" + failures[i];
  throw platform::EFileError(text);
}

// A settings file that cannot be written must not keep the user in a
// window that cannot be closed: the error is shown and the window closes.
void TForm1::FormClose() {
  try {
    settings_->Save();
  } catch (const std::exception& error) {
    platform::Application::ShowException(error);
  }
}

void TForm1::ExitButtonClick() {
  HideRuleEdits();
  try {
    settings_->Save();
  } catch (const std::exception& error) {
    platform::Application::ShowException(error);
  }
  platform::Application::Terminate();
}

}  // namespace app
