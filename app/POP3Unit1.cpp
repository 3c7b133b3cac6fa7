#include "app/POP3Unit1.h"
#include "platform/gui/Application.h"
#include "platform/core/UnhandledError.h"

namespace app {

// Builds the window and its components, wires their events, and shows the
// program in the notification area with an empty message list.
TForm1::TForm1() {
  platform::SetUnhandledErrorHandler([](const std::exception& error) { platform::Application::ShowException(error); });
  CreateMainWindow();
  CreateTopPanel();
  CreateListCaptions();
  CreateListArea();
  CreateButtons();
  CreateComponents();
  Window->ApplyTabOrder();
  WireEvents();

  Window->AppendSystemMenuSeparator();
  AppendSecurityMenu();
  Window->AppendSystemMenuItem("&About...", kAboutCommand);
  ViewerFetch = false;
  ClearMessageList();
  SetApplicationTitle(kApplicationTitle);
  TrayIcon1->Show();
  Window->CenterOnScreen();
}

TForm1::~TForm1() {
  platform::Application::SetOnMinimize(nullptr);
  // The client goes first, without QUIT and without firing into a window
  // that is being taken apart.
  POP3.reset();
  platform::SetUnhandledErrorHandler(nullptr);
}

}  // namespace app
