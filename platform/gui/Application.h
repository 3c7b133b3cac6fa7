#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>

namespace platform {

class MainWindow;

// The program's application object: the toolkit, its event loop and the
// application-wide services (title, task-bar presence, error box). Exactly
// one exists while the program runs; it must be created before any control.
//
// No exception unwinds through the toolkit's event loop: one that escapes a
// handler reaches ReportUnhandledError (see UnhandledError.h).
class Application {
 public:
  // argc and argv must outlive the object.
  Application(int& argc, char** argv);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The title shown for the application in the task bar, and at once in
  // the main window's title after its caption (where the desktop shows
  // window titles only, that is where it is seen).
  static void SetTitle(const std::string& title);
  static std::string Title();

  // Called (from the event loop, after the change) when the main window
  // was minimised.
  static void SetOnMinimize(std::function<void()> handler);

  // Takes the program out of the task bar (the window is hidden; only the
  // tray icon remains) and brings it back.
  static void HideTaskBarEntry();
  static void ShowTaskBarEntry();
  static bool TaskBarEntryShown();
  // Un-minimises the main window.
  static void Restore();
  static void BringToFront();

  // Runs the event loop until the main window has closed or Terminate.
  static int Run();
  // Ends the event loop at once; the main window then closes without
  // asking its close handler.
  static void Terminate();
  static bool Terminated();

  // The error box of the application: captioned with the title, a full
  // stop appended when the text's last character sorts after ".". The text
  // of a platform::Exception is shown whole, also past a NUL byte.
  static void ShowException(const std::exception& error);

  // Used by the main window: it makes itself known (which also clears
  // Terminated), reports minimising and its accepted close.
  static void SetMainWindow(MainWindow* window);
  static MainWindow* MainForm();
  static void NotifyMinimized();
  static void NotifyMainWindowClosed();

 struct Impl;  // toolkit side; platform code only

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
