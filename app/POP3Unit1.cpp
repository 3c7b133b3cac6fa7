#include "app/POP3Unit1.h"

#include "app/AutoCheck.h"
#include "app/CommandRun.h"
#include "app/DesktopAlerts.h"
#include "app/ListView.h"
#include "app/MailboxChoice.h"
#include "app/SettingsStore.h"
#include "app/StatusLine.h"
#include "app/Viewer.h"
#include "app/WindowMailboxEvents.h"
#include "platform/core/UnhandledError.h"
#include "platform/gui/Application.h"
#include "platform/core/Translate.h"

namespace app {

// Builds the window and its components, wires their events, and shows the
// program in the notification area with an empty message list.
TForm1::TForm1(const platform::Clock& clock) {
  platform::SetUnhandledErrorHandler([](const std::exception& error) { platform::Application::ShowException(error); });
  BuildWindow(*this);
  mailboxEvents_ = std::make_unique<WindowMailboxEvents>(*this);
  choice_ = std::make_unique<MailboxChoice>(*this);
  mailbox_ = &choice_->Account(0).Box;
  status_ = std::make_unique<StatusLine>(*Label5);
  commands_ = std::make_unique<CommandRun>(*this);
  listView_ = std::make_unique<ListView>(*this);
  mailbox_->List().SetObserver(listView_.get());
  settings_ = std::make_unique<SettingsStore>(*this);
  alerts_ = std::make_unique<DesktopAlerts>(*this);
  autoCheck_ = std::make_unique<AutoCheck>(*this, clock);
  viewer_ = std::make_unique<MessageViewer>(*this);
  Window->ApplyTabOrder();
  WireWindowEvents(*this);

  Window->AppendSystemMenuSeparator();
  choice_->ShowMenu();
  settings_->AppendSecurityMenu();
  Window->AppendSystemMenuItem(platform::Tr("Window", "&About..."), kAboutCommand);
  ViewerFetch = false;
  ClearMessageList();
  SetApplicationTitle(kApplicationTitle);
  TrayIcon1->Show();
  Window->CenterOnScreen();
}

TForm1::~TForm1() {
  platform::Application::SetOnMinimize(nullptr);
  // The mailbox goes first: its session is dropped without QUIT, and
  // nothing is drawn into a window that is being taken apart.
  mailbox_->List().SetObserver(nullptr);
  mailbox_ = nullptr;
  choice_.reset();
  platform::SetUnhandledErrorHandler(nullptr);
}

}  // namespace app
