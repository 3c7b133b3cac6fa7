// A keyring that takes every call and never answers (tests/support/
// silent-keyring.py, on the private session bus of desktop-session.sh
// --silent-keyring; the ctest entry app_silent_keyring_tests). The window
// must not wait for it: start-up returns with the read still out, a command
// that needs the password waits for it in sight and within the keyring's
// time-out, and a close gives the window up at once and keeps the password.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTimer>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/PasswordScrambler.h"
#include "app/ProgramEntry.h"
#include "platform/gui/Application.h"
#include "platform/testing/TestAccess.h"
#include "tests/app/FormTest.h"
#include "tests/app/SettingsTestSupport.h"

namespace apptest {

namespace {

namespace access = platform::test_access;
using ::testing::Contains;
using ::testing::Each;
using ::testing::Not;

constexpr const char* kWaitingText = "Waiting for the keyring ...";

bool SilentKeyringSession() {
  const char* mode = std::getenv("POP3CHECK_TEST_DESKTOP_SESSION");
  return mode != nullptr && std::string(mode) == "silent-keyring";
}

// Calls probe at every turn of the event loop while action runs; only a
// loop that turns (the window's own, serving its events) lets it run.
void ProbeWhile(const std::function<void()>& action, const std::function<void()>& probe) {
  QTimer timer;
  timer.setInterval(5);
  QObject::connect(&timer, &QTimer::timeout, probe);
  timer.start();
  action();
}

class SilentKeyring : public FormTest {
 protected:
  void SetUp() override {
    if (!SilentKeyringSession()) GTEST_SKIP() << "needs the silent keyring of tests/support/desktop-session.sh";
    FormTest::SetUp();
  }

  // The status texts shown while action ran, each once, in order.
  std::vector<std::string> StatusesDuring(const std::function<void()>& action) {
    std::vector<std::string> seen;
    ProbeWhile(action, [&] {
      std::string text = Form().Label5->Visible() ? Form().Label5->Text() : "";
      if (!text.empty() && (seen.empty() || seen.back() != text)) seen.push_back(text);
    });
    return seen;
  }
};

TEST_F(SilentKeyring, ACheckRightAfterStartUpWaitsForTheKeyringInSight) {
  WriteSettingsText("[EMAIL]\r\nServer=127.0.0.1:1\r\nUserID=ann\r\nPassword=\r\nPasswordIn=Keyring\r\n");
  app::StartMainWindow(Form());
  EXPECT_EQ(Form().PasswordEdit->Text(), "");

  std::vector<std::string> seen = StatusesDuring([this] { ClickCheck(); });
  EXPECT_THAT(seen, Contains(kWaitingText)) << "start-up did not leave the read running, or the check did not wait";
  EXPECT_TRUE(WindowRestored());
  // Without an answer the check goes on as without a keyring: the client
  // will not log in without a password, and sends none.
  EXPECT_THAT(BoxTexts(BoxKind::Information), Contains("Errors Encountered With 127.0.0.1:1 - ABORTING !"));
}

// A password the user types is used as it is: the keyring is not waited
// for. (Port 1 refuses the connection; the check reaches it only past the
// password.)
TEST_F(SilentKeyring, ATypedPasswordIsNotHeldForTheKeyring) {
  WriteSettingsText("[EMAIL]\r\nServer=127.0.0.1:1\r\nUserID=ann\r\nPassword=\r\nPasswordIn=Keyring\r\n");
  app::StartMainWindow(Form());
  access::TypeText(*Form().PasswordEdit, "typed");
  std::vector<std::string> seen = StatusesDuring([this] { ClickCheck(); });
  EXPECT_THAT(seen, Not(Contains(kWaitingText)));
  EXPECT_TRUE(WindowRestored());
}

// How the window closes, with what settings and what typed, and the EMAIL
// lines the settings file must hold afterwards.
struct CloseCase {
  const char* name;
  std::string settings;
  std::string typed;  // typed into the password edit, with "Save" ticked
  bool exitButton;    // "Exit" rather than the window's close
  std::vector<std::string> expectedLines;
};

void PrintTo(const CloseCase& row, std::ostream* out) { *out << row.name; }

class SilentKeyringClose : public SilentKeyring, public ::testing::WithParamInterface<CloseCase> {};

// The window leaves the screen before any wait for the keyring, and the
// close ends within the keyring's time-out; a password the keyring did not
// take goes scrambled into the file, and one the keyring holds but did not
// give is not erased.
TEST_P(SilentKeyringClose, LeavesAtOnceAndKeepsThePassword) {
  const CloseCase& row = GetParam();
  WriteSettingsText(row.settings);
  app::StartMainWindow(Form());
  if (!row.typed.empty()) {
    Form().CheckBox1->SetChecked(true);
    access::TypeText(*Form().PasswordEdit, row.typed);
  }
  std::vector<bool> shownWhileClosing;
  ProbeWhile([&] { row.exitButton ? Form().ExitButtonClick() : Form().FormClose(); },
             [&] { shownWhileClosing.push_back(Form().Window->Visible()); });
  if (!row.typed.empty()) {
    EXPECT_FALSE(shownWhileClosing.empty()) << "the keyring was not waited for";
  }
  EXPECT_THAT(shownWhileClosing, Each(false)) << "the window stood on the screen while the keyring was waited for";
  for (const std::string& line : row.expectedLines) EXPECT_THAT(SettingsLines(), Contains(line));
  EXPECT_TRUE(Boxes().empty());

  app::TForm1 next;
  app::StartMainWindow(next);
  if (!row.typed.empty()) {
    EXPECT_EQ(next.PasswordEdit->Text(), row.typed);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SilentKeyringClose,
    ::testing::Values(
        CloseCase{"NewPasswordGoesScrambledIntoTheFile", "[EMAIL]\r\nServer=mail\r\n", "fresh", false,
                  {"Password=" + app::ScramblePassword("fresh")}},
        CloseCase{"ExitWhileTheReadIsOutKeepsTheTypedOne", "[EMAIL]\r\nPassword=\r\nPasswordIn=Keyring\r\n",
                  "typed", true, {"Password=" + app::ScramblePassword("typed"), "PasswordIn="}},
        CloseCase{"NothingTypedLeavesTheKeyringEntryNamed", "[EMAIL]\r\nPassword=\r\nPasswordIn=Keyring\r\n", "",
                  false, {"Password=", "PasswordIn=Keyring"}}),
    [](const ::testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

}  // namespace

}  // namespace apptest
