#include "app/POP3Unit1.h"
#include "platform/gui/Application.h"

namespace app {

TForm1::CommandScope::CommandScope(TForm1& form) : form_(form) { ++form_.CommandDepth; }

// The last command to end carries out a close that came while it waited.
TForm1::CommandScope::~CommandScope() {
  if (--form_.CommandDepth == 0 && form_.CloseRequested) form_.Window->PostClose();
}

void TForm1::WindowCloseQuery(bool& CanClose) {
  if (CommandDepth > 0) {
    CloseRequested = true;
    POP3->Abort();
    CanClose = false;
    return;
  }
  CloseRequested = false;
  FormClose();
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
  SecurityMenuCommand(Command);
}

void TForm1::PlayAlertSound() { WavePlayer1->Play(); }

void TForm1::StartTrayAnimation() { TrayIcon1->StartAnimation(); }

void TForm1::SetApplicationTitle(const std::string& title) { platform::Application::SetTitle(title); }

}  // namespace app
