#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/POP3Unit1.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/TrayIcon.h"
#include "tests/support/ManualClock.h"
#include "tests/support/Pop3TestServer.h"
#include "tests/support/TempHome.h"

namespace apptest {

// Whether the desktop has a notification area: the offscreen runs have
// none; the private X session of tests/support/tray-session.sh has one.
// Tests of either case skip in the other.
inline bool DesktopHasTray() { return platform::TrayIcon::SystemTrayAvailable(); }
inline constexpr const char* kNeedsTray = "needs a notification area (tests/support/tray-session.sh)";
inline constexpr const char* kNeedsNoTray = "needs a desktop without a notification area";

using platform::BoxKind;

// Whether the list's row shows a ticked tick box.
inline bool RowTicked(const platform::MessageGrid& grid, int row) {
  return grid.HasCheckBox(0, row) && grid.CheckBoxState(0, row);
}
using platform::dialog_script::ShownBox;
using testsupport::TempHome;

// A main window, shown offscreen in a temporary home, with the dialog
// script emptied before and after.
class FormTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  app::TForm1& Form() { return *form_; }
  // What the window's automatic check measures its due times on.
  testsupport::ManualClock& Clock() { return clock_; }

  // Types the server, user name and password as the user would.
  void EnterAccount(const std::string& server, const std::string& user, const std::string& password);
  // Clicks "Check Mail Headers"; the whole check runs inside the click.
  void ClickCheck();

  static std::vector<ShownBox> Boxes();
  static std::vector<std::string> BoxTexts(BoxKind kind);
  // The texts of one list column, top row first.
  std::vector<std::string> Column(int col);
  // The window is back from a command: the 16 controls of the group are
  // enabled, the status label is hidden (or, with noteShown, shows the note
  // of a command that could not show all it went for), the cursor is the
  // default one and the auto-check timer is enabled.
  ::testing::AssertionResult WindowRestored(bool noteShown = false);

 private:
  std::optional<TempHome> home_;
  testsupport::ManualClock clock_;
  std::unique_ptr<app::TForm1> form_;
};

// The same, with a mailbox of the test Dovecot claimed and emptied; skipped
// when the environment names no test server.
class DovecotFormTest : public FormTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // "address:port" of the test server, as typed into the server edit.
  std::string ServerText() const;
  void EnterMailboxAccount();
  testsupport::Mailbox& Mail() { return *mailbox_; }
  const testsupport::Pop3TestServer& Server() const { return *server_; }
  // Adds a second mailbox of the window with another user of the server;
  // the first stays chosen.
  void AddSecondMailbox(const testsupport::Mailbox& other, const std::string& password);

  // A message whose header holds the given lines (CR LF added), then a
  // short body.
  static std::string Message(const std::vector<std::string>& headerLines);
  // Adds a message with From: Sender n, Subject: Subject n, Date: Date n;
  // returns the size the server lists for it.
  std::int64_t AddNumberedMessage(int n);

 private:
  std::optional<testsupport::Pop3TestServer> server_;
  std::optional<testsupport::Mailbox> mailbox_;
};

}  // namespace apptest
