#pragma once

namespace app {

class TForm1;

// The program: creates the application and its main window, starts the
// window up (StartMainWindow) and runs the event loop until the window
// closes or "Exit" ends it. Returns the exit code.
int RunProgram(int argc, char** argv);

// Start-up of a new main window: FormCreate, whose error goes to the
// application's error box (start-up then stops at the failing step and the
// window opens all the same), then the window is shown and FormShow runs.
void StartMainWindow(TForm1& form);

}  // namespace app
