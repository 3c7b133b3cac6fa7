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

// A log-in refused with a response code: the server's reason and its own
// words in the box; the design's box for [AUTH] or no code. A reason that
// passes by itself leaves the automatic check running, and an automatic
// check tells it on the status line instead of a box.
struct Refusal {
  const char* Name;
  const char* Reply;
  const char* Box;         // the box of a manual check
  const char* Note;        // the status line after an automatic check; empty: a box, and the check stops
};

const Refusal kRefusals[] = {
    {"Auth", "-ERR [AUTH] Invalid credentials", "User Name / Password INVALID !", ""},
    {"NoCode", "-ERR no", "User Name / Password INVALID !", ""},
    {"InUse", "-ERR [IN-USE] Mailbox is locked by another session",
     "The mailbox is in use by another session (another program or device is reading it). Your password was not "
     "refused. Try again shortly.\n\nThe server said: Mailbox is locked by another session",
     "Not checked: mailbox in use"},
    {"LoginDelay", "-ERR [LOGIN-DELAY] Wait 900 seconds",
     "The server allows a log-in only every so often, and the last one was too recent. Your password was not "
     "refused. Try again later.\n\nThe server said: Wait 900 seconds",
     "Not checked: log-in too soon after the last"},
    {"SysTemp", "-ERR [sys/temp/disk] Try again later",
     "The server has a passing problem and could not log you in. Your password was not refused. Try again "
     "later.\n\nThe server said: Try again later",
     "Not checked: server problem"},
    {"SysPerm", "-ERR [SYS/PERM] Account disabled",
     "The server has a problem that will not pass by itself and could not log you in. Your password was not "
     "refused; your provider may have to mend it.\n\nThe server said: Account disabled",
     ""},
};

class RefusedLogIn : public CheckFailure, public ::testing::WithParamInterface<Refusal> {
 protected:
  void AddRefusal() {
    server_.AddConversation(std::string("S: +OK ready\nC: CAPA\nS: -ERR\nC: USER ann\nS: +OK\nC: PASS secret\nS: ") +
                            GetParam().Reply + "\nC: QUIT\nS: +OK\n");
  }
};

TEST_P(RefusedLogIn, SaysWhyAndStopsTheAutomaticCheckOnlyForGood) {
  const Refusal& refusal = GetParam();
  const bool passes = *refusal.Note != '\0';
  EnterAccount(ScriptedServerText(), "ann", "secret");
  Form().CheckBox2->SetChecked(true);
  AddRefusal();

  ClickCheck();

  EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre(refusal.Box));
  EXPECT_EQ(Form().CheckBox2->Checked(), passes);
  EXPECT_TRUE(WindowRestored());

  platform::dialog_script::Reset();
  Form().CheckBox2->SetChecked(true);
  AddRefusal();

  Form().Timer1Timer();

  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_THAT(server_.Failures(), ::testing::IsEmpty());
  if (passes) {
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(Form().CheckBox2->Checked());
    EXPECT_EQ(Form().Label5->Text(), refusal.Note);
    EXPECT_THAT(Form().Label5->Hint(), ::testing::HasSubstr(std::string("The server said: ")));
  } else {
    EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre(refusal.Box));
    EXPECT_FALSE(Form().CheckBox2->Checked());
  }
}

INSTANTIATE_TEST_SUITE_P(Codes, RefusedLogIn, ::testing::ValuesIn(kRefusals),
                         [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.Name); });

// A server whose CAPA names LOGIN-DELAY is checked automatically no more
// often than it allows, and the "Auto-Check" hint says why; a later answer
// without it brings the interval set back.
TEST_F(CheckFailure, LogInDelayOfTheServerWidensTheAutomaticInterval) {
  const std::string quietSession = "C: USER ann\nS: +OK\nC: PASS secret\nS: +OK\nC: STAT\nS: +OK 0 0\nC: QUIT\nS: +OK\n";
  EnterAccount(ScriptedServerText(), "ann", "secret");
  Form().IntervalMinutes = 5;
  server_.AddConversation("S: +OK ready\nC: CAPA\nS: +OK\nS: USER\nS: LOGIN-DELAY 900\nS: .\n" + quietSession);

  ClickCheck();

  EXPECT_EQ(Form().Timer1->Interval(), 15u * 60000u);
  EXPECT_EQ(Form().CheckBox2->Hint(),
            "Auto-Check Every 5 Minute(s) - the server allows a log-in only every 15 minute(s), so it checks every 15");

  platform::dialog_script::Reset();
  server_.AddConversation("S: +OK ready\nC: CAPA\nS: +OK\nS: USER\nS: .\n" + quietSession);

  ClickCheck();

  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_THAT(server_.Failures(), ::testing::IsEmpty());
  EXPECT_EQ(Form().Timer1->Interval(), 5u * 60000u);
  EXPECT_EQ(Form().CheckBox2->Hint(), "Auto-Check Every 5 Minute(s)");
}

}  // namespace

}  // namespace apptest
