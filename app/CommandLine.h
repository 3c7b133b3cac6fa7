#pragma once

#include <string>

namespace app {

// What the command line asks for. Only the program's own long options are
// understood; anything else is an error, reported before any window opens.
struct CommandLine {
  enum class Action { Run, ShowHelp, ShowVersion, Fail };
  Action action = Action::Run;
  // --minimized: start in the notification area (for an autostart entry).
  bool minimized = false;
  // For Fail: what was wrong, e.g. "unknown option '--bogus'".
  std::string error;
};

// argv[0] is the program's name and is skipped. --help and --version win
// over --minimized; the first unknown argument makes the result Fail.
CommandLine ParseCommandLine(int argc, const char* const* argv);

// The text --help prints: usage, options, files. Ends with a line break.
std::string UsageText();
// "pop3check " followed by the version, and a line break.
std::string VersionText();

// Exit status after a command-line error, as other command-line tools use.
inline constexpr int kUsageExitStatus = 2;

}  // namespace app
