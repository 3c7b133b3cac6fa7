#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "platform/testing/TestAccess.h"
#include "tests/app/FormTest.h"
#include "tests/support/ScriptedPop3Server.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/Wait.h"

namespace apptest {

namespace {

namespace access = platform::test_access;
using ::testing::ElementsAre;
using testsupport::ScriptedPop3Server;

constexpr const char* kLogIn =
    "S: +OK ready\n"
    "C: CAPA\n"
    "S: -ERR\n"
    "C: USER ann\n"
    "S: +OK\n"
    "C: PASS secret\n"
    "S: +OK logged in\n";

class CheckFailure : public FormTest {
 protected:
  std::string ScriptedServerText() const {
    return std::string(ScriptedPop3Server::Host()) + ":" + std::to_string(server_.Port());
  }

  ScriptedPop3Server server_;
};

// A log-in that cannot be done (here: nothing listens) is told in a box,
// and the automatic check stops.
TEST_F(CheckFailure, UnreachableServerAbortsAndStopsAutoCheck) {
  std::string server = "127.0.0.1:" + std::to_string(testsupport::UnusedLoopbackPort());
  EnterAccount(server, "ann", "secret");
  access::Click(*Form().CheckBox2);
  ASSERT_TRUE(Form().CheckBox2->Checked());

  ClickCheck();

  EXPECT_THAT(Boxes().size(), 1u);
  EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre("Errors Encountered With " + server + " - ABORTING !"));
  EXPECT_FALSE(Form().CheckBox2->Checked());
  EXPECT_TRUE(WindowRestored());
}

// The machine sleeps while an automatic check waits for the server: the
// connection may have died in the sleep, so after the wake the wait ends
// within AutoCheck::kWaitAfterWakeMs instead of the minute's time-out, and
// one check follows the wake.
TEST_F(CheckFailure, WaitOfAnAutomaticCheckEndsSoonAfterTheMachineWoke) {
  server_.AddConversation(std::string(kLogIn) + "C: STAT\nS: +OK 2 300\nC: LIST*\nSTALL\n");
  server_.AddConversation(std::string(kLogIn) + "C: STAT\nS: +OK 0 0\nC: QUIT\nS: +OK bye\n");
  EnterAccount(ScriptedServerText(), "ann", "secret");
  Form().CheckBox2->SetChecked(true);
  Form().Mailbox().Client().OnConnect = [&](platform::TComponent*) {
    Form().Mailbox().Client().OnConnect = nullptr;
    Clock().Sleep(std::chrono::hours(1));
  };
  bool watchdogFired = false;
  platform::WindowTimer watchdog(40000, true);
  watchdog.SetOnTimer([&] {
    watchdogFired = true;
    Form().Mailbox().Abort();
  });

  Form().Timer1Timer();

  EXPECT_FALSE(watchdogFired) << "the wait did not end within the bound after the wake";
  EXPECT_TRUE(Form().Mailbox().Client().TimedOut());
  EXPECT_TRUE(Form().CheckBox2->Checked());
  EXPECT_TRUE(server_.WaitUntilDone()) << "no check after the wake";
  EXPECT_TRUE(testsupport::PumpUntil([&] { return !Form().AutoCheckBusy; }));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(CheckFailure, RefusedQuitStillRestoresWindow) {
  server_.AddConversation(std::string(kLogIn) +
                          "C: STAT\n"
                          "S: +OK 0 0\n"
                          "C: QUIT\n"
                          "S: -ERR not now\n");
  EnterAccount(ScriptedServerText(), "ann", "secret");

  ClickCheck();

  EXPECT_TRUE(WindowRestored());
  EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre("You Have No Mail !"));
  // The refusal itself reaches the user through the application's error box.
  EXPECT_THAT(BoxTexts(BoxKind::Error), ElementsAre("-ERR not now\r\n"));
  EXPECT_TRUE(server_.Failures().empty());
}

TEST_F(CheckFailure, ClosingWhileWaitingCancelsTheWaitThenCloses) {
  server_.AddConversation(std::string(kLogIn) +
                          "C: STAT\n"
                          "S: +OK 2 300\n"
                          "C: LIST*\n"
                          "STALL\n");
  EnterAccount(ScriptedServerText(), "ann", "secret");
  int closeQueries = 0;
  auto closeQuery = Form().Window->OnCloseQuery;
  Form().Window->OnCloseQuery = [&](bool& canClose) {
    ++closeQueries;
    closeQuery(canClose);
  };
  // The user closes the window once the check waits for the listing.
  Form().Mailbox().Client().OnConnect = [&](platform::TComponent*) { Form().Window->PostClose(); };

  ClickCheck();

  EXPECT_FALSE(Form().Mailbox().Client().TimedOut()) << "the wait must end by the cancel, not by the time-out";
  EXPECT_TRUE(WindowRestored());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(testsupport::PumpUntil([&] { return !Form().Window->Visible(); }));
  EXPECT_EQ(closeQueries, 2);
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_FALSE(server_.ReceivedLine("QUIT"));
}

}  // namespace

}  // namespace apptest
