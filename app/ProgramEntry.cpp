#include "app/ProgramEntry.h"

#include "app/POP3Unit1.h"
#include "platform/Application.h"

namespace app {

int RunProgram(int argc, char** argv) {
  platform::Application application(argc, argv);
  platform::Application::SetTitle(kApplicationTitle);
  TForm1 form;
  form.Window->Show();
  return platform::Application::Run();
}

}  // namespace app
