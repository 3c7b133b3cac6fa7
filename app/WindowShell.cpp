#include "app/CommandRun.h"
#include "app/MailboxChoice.h"
#include "app/POP3Unit1.h"
#include "app/SettingsStore.h"
#include "platform/gui/Application.h"

namespace app {

void TForm1::WindowCloseQuery(bool& CanClose) {
  CanClose = commands_->MayClose();
  if (CanClose) FormClose();
}

// Without a notification area the window stays in the task bar, or the
// user could not bring it back.
void TForm1::AppMinimized() {
  InTray = true;
  if (platform::TrayIcon::SystemTrayAvailable()) platform::Application::HideTaskBarEntry();
}

void TForm1::Restore1Click() {
  platform::Application::ShowTaskBarEntry();
  platform::Application::Restore();
  platform::Application::BringToFront();
  InTray = false;
  TrayIcon1->StopAnimation();
}

void TForm1::TrayIcon1Click() {}

void TForm1::TrayIcon1DblClick() {}

void TForm1::SystemCommand(int Command) {
  if (Command == kAboutCommand) platform::ShowInformation(kWindowCaption);
  settings_->SecurityMenuCommand(Command);
  choice_->MenuCommand(Command);
}

void TForm1::PlayAlertSound() { WavePlayer1->Play(); }

void TForm1::StartTrayAnimation() { TrayIcon1->StartAnimation(); }

void TForm1::SetApplicationTitle(const std::string& title) { platform::Application::SetTitle(title); }

}  // namespace app
