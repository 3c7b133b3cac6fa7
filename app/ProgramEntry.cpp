#include "app/ProgramEntry.h"

#include "app/POP3Unit1.h"
#include "platform/gui/Application.h"
#include "platform/core/UnhandledError.h"

namespace app {

int RunProgram(int argc, char** argv) {
  platform::Application application(argc, argv);
  platform::Application::SetTitle(kApplicationTitle);
  TForm1 form;
  StartMainWindow(form);
  return platform::Application::Run();
}

void StartMainWindow(TForm1& form) {
  platform::RunGuarded([&form] { form.FormCreate(); });
  form.Window->Show();
  platform::RunGuarded([&form] { form.FormShow(); });
}

}  // namespace app
