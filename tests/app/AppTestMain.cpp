#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/gui/Application.h"
#include "platform/gui/Dialogs.h"

// The application object must exist before any widget, and it must be
// offscreen (set before the toolkit reads its platform), unless the tests
// run in the private X session of tests/support/tray-session.sh, which
// has a notification area.
int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", std::getenv("POP3CHECK_TEST_TRAY_SESSION") == nullptr ? "offscreen" : "xcb", 1);
  // Alerts must not reach the developer's own desktop: only a private
  // session made by tests/support/desktop-session.sh is used.
  if (std::getenv("POP3CHECK_TEST_DESKTOP_SESSION") == nullptr)
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/pop3check-tests-have-no-session-bus", 1);
  // Nor the machine's own sleep and network: only the private system bus
  // of tests/support/system-session.sh.
  if (std::getenv("POP3CHECK_TEST_SYSTEM_BUS") == nullptr)
    setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/pop3check-tests-have-no-system-bus", 1);
  // The tests expect the design's English: the C locale, whatever the
  // developer's desktop speaks (tests/app/TranslationTest loads others).
  unsetenv("LANGUAGE");
  setenv("LC_ALL", "C.UTF-8", 1);
  ::testing::InitGoogleTest(&argc, argv);
  platform::Application application(argc, argv);
  // No box or dialog ever waits for a person.
  platform::dialog_script::SetScripted(true);
  return RUN_ALL_TESTS();
}
