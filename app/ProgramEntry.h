#pragma once

namespace app {

class TForm1;

// The program: reads the command line (--help, --version and errors are
// answered on the terminal without opening a window), creates the
// application and its main window, starts the window up (StartMainWindow)
// and runs the event loop until the window closes or "Exit" ends it.
// Returns the exit code: 2 after a command-line error.
int RunProgram(int argc, char** argv);

// Start-up of a new main window: FormCreate, whose error goes to the
// application's error box (start-up then stops at the failing step and the
// window opens all the same), then the window is shown and FormShow runs.
// minimized: the window goes straight to the notification area instead
// (or opens minimised where the desktop has none).
void StartMainWindow(TForm1& form, bool minimized = false);

}  // namespace app
