#include "platform/gui/Application.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

#include "platform/gui/Dialogs.h"
#include "platform/core/Exception.h"
#include "platform/gui/MainWindow.h"
#include "platform/gui/Translations.h"
#include "platform/core/UnhandledError.h"
#include "platform/gui/qt/ControlCore.h"
#include "platform/gui/qt/Text.h"
#include "platform/gui/qt/ToolkitApplication.h"

namespace platform {

struct Application::Impl {
  Impl(int& argc, char** argv) : toolkit(argc, argv) {}

  qt::ToolkitApplication toolkit;
  std::string title;
  std::function<void()> onMinimize;
  MainWindow* mainWindow = nullptr;
  bool running = false;
  bool terminated = false;
};

namespace {

Application::Impl* current = nullptr;

QWidget* MainWidget() {
  if (current == nullptr || current->mainWindow == nullptr) return nullptr;
  return current->mainWindow->Core().widget.data();
}

}  // namespace

Application::Application(int& argc, char** argv) : impl_(std::make_unique<Impl>(argc, argv)) {
  current = impl_.get();
  // The main window decides when the program ends (see NotifyMainWindowClosed):
  // closing a box while the window sits in the tray must not end it.
  QGuiApplication::setQuitOnLastWindowClosed(false);
  // Ties the windows to the installed .desktop entry (its icon and name in
  // the desktop's task switcher, Wayland's app id).
  QGuiApplication::setDesktopFileName(QStringLiteral("org.pop3check.pop3check"));
  // The texts speak the user's language before the first widget exists.
  LoadTranslation(UserLanguages());
}

Application::~Application() { current = nullptr; }

void Application::SetTitle(const std::string& title) {
  if (current == nullptr) return;
  // Kept for the boxes, which are captioned with it. Not made the
  // toolkit's display name: Qt would append that to every window title.
  current->title = title;
  if (current->mainWindow != nullptr) current->mainWindow->ShowApplicationTitle();
}

std::string Application::Title() { return current != nullptr ? current->title : std::string(); }

void Application::SetOnMinimize(std::function<void()> handler) {
  if (current != nullptr) current->onMinimize = std::move(handler);
}

void Application::NotifyMinimized() {
  if (current != nullptr && current->onMinimize) RunGuarded(current->onMinimize);
}

void Application::HideTaskBarEntry() {
  if (QWidget* widget = MainWidget()) widget->hide();
}

void Application::ShowTaskBarEntry() {
  if (QWidget* widget = MainWidget()) {
    widget->setWindowState(widget->windowState() & ~Qt::WindowMinimized);
    widget->show();
  }
}

bool Application::TaskBarEntryShown() {
  QWidget* widget = MainWidget();
  return widget != nullptr && widget->isVisible();
}

void Application::Restore() {
  if (QWidget* widget = MainWidget()) widget->setWindowState(widget->windowState() & ~Qt::WindowMinimized);
}

void Application::BringToFront() {
  if (QWidget* widget = MainWidget()) {
    widget->raise();
    widget->activateWindow();
  }
}

int Application::Run() {
  if (current == nullptr) return 1;
  current->running = true;
  int result = QCoreApplication::exec();
  current->running = false;
  return result;
}

void Application::Terminate() {
  if (current == nullptr) return;
  current->terminated = true;
  if (current->running) QCoreApplication::exit(0);
}

bool Application::Terminated() { return current != nullptr && current->terminated; }

void Application::NotifyMainWindowClosed() {
  if (current != nullptr && current->running) QCoreApplication::exit(0);
}

void Application::ShowException(const std::exception& error) {
  // what() ends at the first NUL, and a server's reply may hold one.
  const auto* exception = dynamic_cast<const Exception*>(&error);
  std::string text = exception != nullptr ? exception->Message() : std::string(error.what());
  if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.')) text += '.';
  ShowError(text);
}

void Application::SetMainWindow(MainWindow* window) {
  if (current == nullptr) return;
  current->mainWindow = window;
  if (window != nullptr) current->terminated = false;
}

MainWindow* Application::MainForm() { return current != nullptr ? current->mainWindow : nullptr; }

}  // namespace platform
