#include "app/ProgramEntry.h"

#include <cstdio>

#include "app/CommandLine.h"
#include "app/POP3Unit1.h"
#include "platform/gui/Application.h"
#include "platform/core/UnhandledError.h"

namespace app {

int RunProgram(int argc, char** argv) {
  CommandLine commandLine = ParseCommandLine(argc, argv);
  switch (commandLine.action) {
    case CommandLine::Action::ShowHelp:
      std::fputs(UsageText().c_str(), stdout);
      return 0;
    case CommandLine::Action::ShowVersion:
      std::fputs(VersionText().c_str(), stdout);
      return 0;
    case CommandLine::Action::Fail:
      std::fprintf(stderr, "pop3check: %s\nTry 'pop3check --help' for more information.\n",
                   commandLine.error.c_str());
      return kUsageExitStatus;
    case CommandLine::Action::Run:
      break;
  }
  platform::Application application(argc, argv);
  platform::Application::SetTitle(kApplicationTitle);
  TForm1 form;
  StartMainWindow(form, commandLine.minimized);
  return platform::Application::Run();
}

void StartMainWindow(TForm1& form, bool minimized) {
  platform::RunGuarded([&form] { form.FormCreate(); });
  if (minimized && platform::TrayIcon::SystemTrayAvailable()) {
    form.AppMinimized();
  } else {
    form.Window->Show();
    if (minimized) form.Window->Minimize();
  }
  platform::RunGuarded([&form] { form.FormShow(); });
}

}  // namespace app
