#include "app/CommandLine.h"

#include <string_view>

#ifndef POP3CHECK_VERSION
#define POP3CHECK_VERSION "unknown"
#endif

namespace app {

CommandLine ParseCommandLine(int argc, const char* const* argv) {
  CommandLine result;
  bool help = false;
  bool version = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      help = true;
    } else if (argument == "--version") {
      version = true;
    } else if (argument == "--minimized") {
      result.minimized = true;
    } else {
      result.action = CommandLine::Action::Fail;
      result.error = (argument.starts_with("-") ? "unknown option '" : "unexpected argument '") +
                     std::string(argument) + "'";
      return result;
    }
  }
  if (help)
    result.action = CommandLine::Action::ShowHelp;
  else if (version)
    result.action = CommandLine::Action::ShowVersion;
  return result;
}

std::string UsageText() {
  return "Usage: pop3check [--minimized]\n"
         "Watch a POP3 mailbox, list and delete waiting mail, alert on new mail.\n"
         "\n"
         "  --minimized  start in the notification area (as the autostart entry does)\n"
         "  --help       show this text and exit\n"
         "  --version    show the version and exit\n"
         "\n"
         "Settings: ~/pop3/pop3.ini; alert sound: ~/pop3/gotmail.wav.\n"
         "See pop3check(1) for the settings, the keyring and the autostart entry.\n";
}

std::string VersionText() { return std::string("pop3check ") + POP3CHECK_VERSION + "\n"; }

}  // namespace app
