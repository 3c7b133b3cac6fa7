#include <exception>
#include <limits>
#include <optional>
#include <string>

#include "app/MatchRules.h"
#include "app/MessageRows.h"
#include "app/POP3Unit1.h"
#include "app/PasswordScrambler.h"
#include "app/Settings.h"
#include "platform/core/DataFolder.h"
#include "platform/core/Files.h"
#include "platform/gui/Application.h"

namespace app {

namespace {

constexpr int kShortestInterval = 1;
constexpr const char* kServerCaption = "Server IP:";

std::string LimitedServerCaption(int limit) { return std::string(kServerCaption) + " - " + std::to_string(limit); }

}  // namespace

void TForm1::WireSettingsEvents() {
  ExitButton->OnClick = [this] { ExitButtonClick(); };
  IPedit->OnChange = [this] { IPeditChange(); };
  UserEdit->OnChange = [this] { UserEditChange(); };
  IPlabel->OnClick = [this] { IPlabelClick(); };
  IPlabel->OnDblClick = [this] { IPlabelDblClick(); };
  CheckBox1->OnClick = [this] { CheckBox1Click(); };
}

// The constructor has already routed the minimise notice, added the About
// item and cleared the list. A step that raises ends start-up there; the
// steps before it stay done, and the window opens all the same.
void TForm1::FormCreate() {
  ViewerFetch = false;
  ViewerMessage = 0;
  LoadedSettings.clear();
  try {
    if (!platform::FolderExists(platform::DataFolder())) platform::CreateFolder(platform::DataFolder());
    POP3->Disconnect();
    std::string playWave = ReadSettings();
    ApplySoundSetting(playWave);
  } catch (...) {
    RecordStartUpState();
    throw;
  }
  RecordStartUpState();
  Timer1->SetInterval(IntervalMilliseconds(IntervalMinutes));
  SetApplicationTitle(kApplicationTitle);
  MailAlerted = false;
  ListTotal = 0;
  SelectAllState = false;
  ApplyDesktopSettings();
}

// Everything is read before anything is written: a settings file that can
// be read but not written (a read-only data folder) still gives the window
// every stored value.
std::string TForm1::ReadSettings() {
  using namespace settings;
  platform::ProfileFile file = SettingsFile();
  IPedit->SetText(ReadSavedSetting(file, kEmail, kServer).value_or(""));
  UserEdit->SetText(ReadSavedSetting(file, kEmail, kUserID).value_or(""));
  ReadSavedSetting(file, kEmail, kPassword);
  PasswordEdit->SetText(ReadPasswordSetting(file));
  // "Save" goes with the stored password: a start-up that stops later must
  // not leave it unticked, which would erase the password at the next save.
  if (!PasswordEdit->Text().empty()) CheckBox1->SetChecked(true);

  std::optional<std::string> storedInterval = file.ReadValue(kAutoCheck, kInterval);
  std::string interval = storedInterval.value_or(kDefaultInterval);
  std::int32_t minutes = StrToIntLeadingBlanks(interval);
  if (minutes < kShortestInterval) interval = std::to_string(kShortestInterval);
  if (minutes > kLongestIntervalMinutes) interval = std::to_string(kLongestIntervalMinutes);

  std::int32_t fetchCount = StrToIntLeadingBlanks(file.ReadString(kDebug, kFetchCount, kDefaultFetchCount));
  FetchLimit = 0;
  if (fetchCount > 0) {
    // The limit is one more than the setting; the largest setting keeps
    // the largest limit rather than wrapping round.
    FetchLimit = fetchCount < std::numeric_limits<std::int32_t>::max() ? fetchCount + 1 : fetchCount;
    IPlabel->SetText(LimitedServerCaption(FetchLimit));
  }

  CheckBox2->SetHint(AutoCheckHint(interval));
  IntervalMinutes = StrToIntLeadingBlanks(interval);

  Edit1->SetText(ReadSavedSetting(file, kAutoCheck, kFrom).value_or(""));
  Edit2->SetText(ReadSavedSetting(file, kAutoCheck, kSubject).value_or(""));
  Edit3->SetText(ReadSavedSetting(file, kAutoCheck, kSize).value_or(""));
  ColourRuleLabels();

  std::optional<std::string> storedPlayWave = ReadSavedSetting(file, kSound, kPlayWave);
  std::string playWave = storedPlayWave.value_or(kDefaultPlayWave);
  CheckBox3->SetChecked(playWave == "Yes");
  WriteStartUpSettings(interval, storedInterval, storedPlayWave);
  return playWave;
}

std::optional<std::string> TForm1::ReadSavedSetting(const platform::ProfileFile& file, const char* section,
                                                    const char* key) {
  LoadedSetting& loaded = LoadedSettings[key];
  loaded.Read = true;
  loaded.Stored = file.ReadValue(section, key);
  return loaded.Stored;
}

// The file keeps the interval in force and names the sound switch; what it
// already holds is not rewritten.
void TForm1::WriteStartUpSettings(const std::string& interval, const std::optional<std::string>& storedInterval,
                                  const std::optional<std::string>& storedPlayWave) {
  using namespace settings;
  try {
    if (storedInterval != interval) WriteSetting(kAutoCheck, kInterval, interval);
    if (!storedPlayWave) {
      WriteSetting(kSound, kPlayWave, kDefaultPlayWave);
      LoadedSettings[kPlayWave].Stored = kDefaultPlayWave;
    }
  } catch (const std::exception& error) {
    platform::Application::ShowException(error);
  }
}

// "Yes" ticks "Sound" at start; any spelling of yes makes the sound
// available once the user ticks it, provided the wave file is one the
// player takes.
void TForm1::ApplySoundSetting(const std::string& playWave) {
  std::string wave = platform::WaveFilePath();
  if (AsciiUpper(playWave) == "YES" && WavePlayer1->CanPlay(wave)) {
    WavePlayer1->SetFileName(wave);
    SoundAvailable = true;
    return;
  }
  SoundAvailable = false;
  CheckBox3->SetChecked(false);
}

void TForm1::FormShow() {
  if (!IPedit->Text().empty() && !UserEdit->Text().empty()) PasswordEdit->SetFocus();
}

// A listing never stays on screen for a server or user it was not taken
// from.
void TForm1::IPeditChange() {
  if (!StringGrid1->Cell(kNumberColumn, 0).empty()) ClearMessageList();
}

void TForm1::UserEditChange() {
  if (!StringGrid1->Cell(kNumberColumn, 0).empty()) ClearMessageList();
}

void TForm1::IPlabelClick() {
  if (FetchLimit < std::numeric_limits<int>::max()) ++FetchLimit;
  IPlabel->SetText(LimitedServerCaption(FetchLimit));
  IPlabel->Repaint();
}

void TForm1::IPlabelDblClick() {
  FetchLimit = 0;
  IPlabel->SetText(kServerCaption);
  IPlabel->Repaint();
}

void TForm1::CheckBox1Click() {}

}  // namespace app
