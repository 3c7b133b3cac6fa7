#include <exception>
#include <limits>
#include <optional>
#include <string>

#include "app/AutoCheck.h"
#include "app/DesktopAlerts.h"
#include "app/SettingsStore.h"
#include "mailbox/MatchRules.h"
#include "app/MailboxChoice.h"
#include "app/POP3Unit1.h"
#include "app/PasswordScrambler.h"
#include "app/Settings.h"
#include "platform/core/DataFolder.h"
#include "platform/core/Files.h"
#include "platform/gui/Application.h"
#include "platform/core/Translate.h"

namespace app {

using mailbox::AsciiUpper;
using mailbox::StrToIntLeadingBlanks;

namespace {

constexpr int kShortestInterval = 1;
// The caption as the window draws it (the same text as there).
std::string ServerCaption() { return platform::Tr("Window", "Server IP:"); }

std::string LimitedServerCaption(int limit) {
  return platform::Substitute(platform::Tr("Window", "Server IP: - %1"), {std::to_string(limit)});
}

}  // namespace


// The constructor has already routed the minimise notice, added the About
// item and cleared the list. A step that raises ends start-up there; the
// steps before it stay done, and the window opens all the same.
void TForm1::FormCreate() {
  ViewerFetch = false;
  ViewerMessage = 0;
  try {
    if (!platform::FolderExists(platform::DataFolder())) platform::CreateFolder(platform::DataFolder());
    mailbox_->Disconnect();
    settings_->ReadIntoWindow();
  } catch (...) {
    settings_->RecordStartUpState();
    throw;
  }
  settings_->RecordStartUpState();
  Timer1->SetInterval(IntervalMilliseconds(IntervalMinutes));
  SetApplicationTitle(kApplicationTitle);
  MailAlerted = false;
  ListTotal = 0;
  SelectAllState = false;
  alerts_->ApplyDesktopSettings();
}

// Everything is read before anything is written: a settings file that can
// be read but not written (a read-only data folder) still gives the window
// every stored value.
void SettingsStore::ReadIntoWindow() {
  using namespace settings;
  TForm1& f = form_;
  loaded_.clear();
  platform::ProfileFile file = SettingsFile();
  f.choice_->KeepFirstOnly();
  MailboxAccount& first = f.choice_->Account(0);
  first.Server = ReadSavedSetting(file, kEmail, kServer).value_or("");
  first.UserID = ReadSavedSetting(file, kEmail, kUserID).value_or("");
  ReadSavedSetting(file, kEmail, kPassword);
  first.Password = ReadPasswordSetting(first, file);
  // "Save" goes with the stored password: a start-up that stops later must
  // not leave it unticked, which would erase the password at the next save.
  first.SavePassword = !first.Password.empty() || f.CheckBox1->Checked();
  first.StoredPassword = first.Password;
  first.StoredSave = first.SavePassword;
  first.Written = true;
  ReadMailboxSwitches(first, file, kEmail);
  ReadMailboxes(file);

  std::optional<std::string> storedInterval = file.ReadValue(kAutoCheck, kInterval);
  std::string interval = storedInterval.value_or(kDefaultInterval);
  std::int32_t minutes = StrToIntLeadingBlanks(interval);
  if (minutes < kShortestInterval) interval = std::to_string(kShortestInterval);
  if (minutes > kLongestIntervalMinutes) interval = std::to_string(kLongestIntervalMinutes);

  std::int32_t fetchCount = StrToIntLeadingBlanks(file.ReadString(kDebug, kFetchCount, kDefaultFetchCount));
  f.FetchLimit = 0;
  if (fetchCount > 0) {
    // The limit is one more than the setting; the largest setting keeps
    // the largest limit rather than wrapping round.
    f.FetchLimit = fetchCount < std::numeric_limits<std::int32_t>::max() ? fetchCount + 1 : fetchCount;
    f.IPlabel->SetText(LimitedServerCaption(f.FetchLimit));
  }

  f.CheckBox2->SetHint(AutoCheckHint(interval));
  f.IntervalMinutes = StrToIntLeadingBlanks(interval);

  f.Edit1->SetText(ReadSavedSetting(file, kAutoCheck, kFrom).value_or(""));
  f.Edit2->SetText(ReadSavedSetting(file, kAutoCheck, kSubject).value_or(""));
  f.Edit3->SetText(ReadSavedSetting(file, kAutoCheck, kSize).value_or(""));
  f.autoCheck_->ColourRuleLabels();

  std::optional<std::string> storedPlayWave = ReadSavedSetting(file, kSound, kPlayWave);
  std::string playWave = storedPlayWave.value_or(kDefaultPlayWave);
  f.CheckBox3->SetChecked(playWave == "Yes");
  WriteStartUpSettings(interval, storedInterval, storedPlayWave);
  ApplySoundSetting(playWave);
}

std::optional<std::string> SettingsStore::ReadSavedSetting(const platform::ProfileFile& file, const char* section,
                                                    const char* key) {
  LoadedSetting& loaded = loaded_[key];
  loaded.Read = true;
  loaded.Stored = file.ReadValue(section, key);
  return loaded.Stored;
}

// The file keeps the interval in force and names the sound switch; what it
// already holds is not rewritten.
void SettingsStore::WriteStartUpSettings(const std::string& interval, const std::optional<std::string>& storedInterval,
                                  const std::optional<std::string>& storedPlayWave) {
  using namespace settings;
  try {
    if (storedInterval != interval) WriteSetting(kAutoCheck, kInterval, interval);
    if (!storedPlayWave) {
      WriteSetting(kSound, kPlayWave, kDefaultPlayWave);
      loaded_[kPlayWave].Stored = kDefaultPlayWave;
    }
  } catch (const std::exception& error) {
    platform::Application::ShowException(error);
  }
}

// "Yes" ticks "Sound" at start; any spelling of yes makes the sound
// available once the user ticks it, provided the wave file is one the
// player takes.
void SettingsStore::ApplySoundSetting(const std::string& playWave) {
  std::string wave = platform::WaveFilePath();
  if (AsciiUpper(playWave) == "YES" && form_.WavePlayer1->CanPlay(wave)) {
    form_.WavePlayer1->SetFileName(wave);
    form_.SoundAvailable = true;
    return;
  }
  form_.SoundAvailable = false;
  form_.CheckBox3->SetChecked(false);
}

void TForm1::FormShow() {
  if (!IPedit->Text().empty() && !UserEdit->Text().empty()) PasswordEdit->SetFocus();
}

// A listing never stays on screen for a server or user it was not taken
// from. (While a removed mailbox is replaced, there is none.)
void TForm1::IPeditChange() {
  if (mailbox_ != nullptr && !mailbox_->List().Empty()) ClearMessageList();
  choice_->EditsChanged();
}

void TForm1::UserEditChange() {
  if (mailbox_ != nullptr && !mailbox_->List().Empty()) ClearMessageList();
  choice_->EditsChanged();
}

void TForm1::IPlabelClick() {
  if (FetchLimit < std::numeric_limits<int>::max()) ++FetchLimit;
  IPlabel->SetText(LimitedServerCaption(FetchLimit));
  IPlabel->Repaint();
}

void TForm1::IPlabelDblClick() {
  FetchLimit = 0;
  IPlabel->SetText(ServerCaption());
  IPlabel->Repaint();
}

void TForm1::CheckBox1Click() {}

}  // namespace app
