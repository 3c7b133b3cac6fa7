#pragma once

namespace app {

// The program: creates the application and its main window, shows the
// window and runs the event loop until the window closes. Returns the exit
// code.
int RunProgram(int argc, char** argv);

}  // namespace app
