#include "app/Settings.h"

#include <exception>

#include "app/POP3Unit1.h"
#include "platform/gui/Application.h"
#include "platform/core/DataFolder.h"
#include "platform/core/Files.h"

namespace app {

platform::TProfileFile SettingsFile() {
  return platform::TProfileFile(platform::SettingsFilePath(), platform::FileAccess::OwnerOnly);
}

// Start-up creates the folder; it is created again here in case it was
// removed while the program ran, so that the user's settings are not lost.
void WriteSetting(const std::string& section, const std::string& key, const std::string& value) {
  platform::CreateFolder(platform::DataFolder());
  SettingsFile().WriteString(section, key, value);
}

std::string AutoCheckHint(const std::string& minutes) { return "Auto-Check Every " + minutes + " Minute(s)"; }

// The interval is not written here: every change of it is written at once.
void TForm1::SaveSettings() {
  using namespace settings;
  try {
    POP3->Disconnect();
  } catch (const std::exception&) {
    // The session ends with the program anyway; the settings still matter.
  }
  WriteSetting(kEmail, kServer, IPedit->Text());
  WriteSetting(kEmail, kUserID, UserEdit->Text());
  SavePasswordSetting();
  WriteSetting(kAutoCheck, kFrom, Edit1->Text());
  WriteSetting(kAutoCheck, kSubject, Edit2->Text());
  WriteSetting(kAutoCheck, kSize, Edit3->Text());
  WriteSetting(kSound, kPlayWave, CheckBox3->Checked() ? "Yes" : "No");
}

// A settings file that cannot be written must not keep the user in a
// window that cannot be closed: the error is shown and the window closes.
void TForm1::FormClose() {
  try {
    SaveSettings();
  } catch (const std::exception& error) {
    platform::Application::ShowException(error);
  }
}

void TForm1::ExitButtonClick() {
  HideRuleEdits();
  try {
    SaveSettings();
  } catch (const std::exception& error) {
    platform::Application::ShowException(error);
  }
  platform::Application::Terminate();
}

}  // namespace app
