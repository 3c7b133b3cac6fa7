#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/gui/Application.h"
#include "platform/gui/Dialogs.h"

// The application object must exist before any widget, and it must be
// offscreen: set before the toolkit reads its platform.
int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::testing::InitGoogleTest(&argc, argv);
  platform::Application application(argc, argv);
  // No box or dialog ever waits for a person.
  platform::dialog_script::SetScripted(true);
  return RUN_ALL_TESTS();
}
