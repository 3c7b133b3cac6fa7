// The check against a server that fails, lies or attacks (scripted): a
// log-in that cannot be done, counts it does not keep, headers past the
// caps, answers nobody asked for, a listing cut short. The check fills what
// it can and its outcome says what it could not.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "mailbox/CheckSchedule.h"
#include "tests/mailbox/MailboxTestSupport.h"
#include "tests/support/ScriptedSessions.h"
#include "tests/support/TestEnvironment.h"

namespace mailboxtest {

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using namespace testsupport::sessions;

class MailboxCheckFault : public ScriptedMailboxTest {};

// Whatever stops the log-in, the check ends with no row and no session.
// What the network failed keeps the automatic check's watch, told by how;
// what the user must mend stops it.
TEST_F(MailboxCheckFault, LogInThatCannotBeDoneListsNothing) {
  EXPECT_EQ(mailbox_.Client().TimeOut(), mailbox::Mailbox::kServerTimeOutMs);
  using mailbox::NetworkFailure;
  struct LogInFault {
    const char* Name;
    std::function<void()> Arrange;
    std::function<void()> Verify;
    std::optional<NetworkFailure> Unreached;
  };
  auto serverAt = [&](const std::string& server) {
    mailbox::MailboxSettings settings = mailbox_.Settings();
    settings.Server = server;
    mailbox_.SetSettings(settings);
  };
  const LogInFault faults[] = {
      {"no password",
       [&] {
         mailbox::MailboxSettings settings = mailbox_.Settings();
         settings.Password.clear();
         mailbox_.SetSettings(settings);
       },
       [&] { EXPECT_EQ(server_.ConnectionsServed(), 0) << "connected without a password"; }, std::nullopt},
      {"nothing listens", [&] { serverAt("127.0.0.1:" + std::to_string(testsupport::UnusedLoopbackPort())); },
       [&] { EXPECT_EQ(events_.connectionFailures, 1); }, NetworkFailure::Refused},
      {"name not found", [&] { serverAt("nosuch.invalid:110"); }, [&] { EXPECT_EQ(events_.hostsNotFound, 1); },
       NetworkFailure::NameNotFound},
      {"server falls silent",
       [&] {
         server_.AddConversation("S: +OK ready\nC: CAPA\nS: -ERR\nC: USER ann\nSTALL\n");
         mailbox_.Client().SetTimeOut(200);
       },
       [&] { EXPECT_TRUE(mailbox_.Client().TimedOut()); }, NetworkFailure::TimedOut},
      {"closed before the greeting", [&] { server_.AddConversation("CLOSE\n"); }, [] {},
       NetworkFailure::ConnectionLost},
      {"greeting refused", [&] { server_.AddConversation("S: -ERR go away\n"); }, [] {}, std::nullopt},
  };
  for (const LogInFault& fault : faults) {
    SCOPED_TRACE(fault.Name);
    const mailbox::MailboxSettings saved = mailbox_.Settings();
    events_ = RecordedEvents();
    fault.Arrange();

    const mailbox::CheckOutcome outcome = ManualCheck();

    EXPECT_EQ(outcome.Session, mailbox::LogIn::Failed);
    EXPECT_FALSE(outcome.Listed);
    EXPECT_TRUE(List().Empty());
    EXPECT_EQ(events_.logInRefusals, 0);
    EXPECT_FALSE(mailbox_.Client().IsConnected());
    fault.Verify();
    EXPECT_EQ(outcome.Unreached, fault.Unreached);
    EXPECT_EQ(mailbox::JudgeForWatch(outcome),
              fault.Unreached ? mailbox::WatchVerdict::Unreached : mailbox::WatchVerdict::Stop);
    mailbox_.SetSettings(saved);
    mailbox_.Client().SetTimeOut(mailbox::Mailbox::kServerTimeOutMs);
  }
  EXPECT_TRUE(server_.WaitUntilDone());
}

// A refused QUIT is raised, once the check has done all it does.
TEST_F(MailboxCheckFault, RefusedQuitRaisesWithTheOutcomeComplete) {
  server_.AddConversation(LogIn("0 0") + "C: QUIT\nS: -ERR not now\n");

  mailbox::CheckOutcome outcome;
  std::string raised;
  try {
    mailbox_.Check({true, true, 0}, outcome);
  } catch (const std::exception& failure) {
    raised = failure.what();
  }

  EXPECT_EQ(raised, "-ERR not now\r\n");
  EXPECT_EQ(outcome.Session, mailbox::LogIn::Done);
  EXPECT_EQ(outcome.MailCount, 0);
  EXPECT_FALSE(outcome.Incomplete);
  EXPECT_FALSE(mailbox_.Client().IsConnected());
  EXPECT_THAT(server_.Failures(), IsEmpty());
}

// The program closes while the check waits for the listing: the wait ends
// at once, by the abort and not by the time-out, the session is dropped
// without QUIT, and nothing is noted.
TEST_F(MailboxCheckFault, AbortWhileClosingEndsTheCheckWithoutQuitOrNote) {
  server_.AddConversation(LogIn("2 300") + "C: LIST*\nSTALL\n");
  WhileWaitingFor("LIST", [&] {
    events_.closing = true;
    mailbox_.Abort();
  });

  const mailbox::CheckOutcome outcome = ManualCheck();

  EXPECT_FALSE(mailbox_.Client().TimedOut());
  EXPECT_EQ(outcome.Session, mailbox::LogIn::Done);
  EXPECT_FALSE(outcome.Incomplete);
  EXPECT_TRUE(List().Empty());
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_FALSE(server_.ReceivedLine("QUIT"));
}

// STAT claims 2147483647 messages, LIST gives two: both the manual and
// the automatic check walk the rows there are (a walk to the server's count
// never ended, and overflowed), and say that the list is not all the
// server counted.
TEST_F(MailboxCheckFault, CountsFromTheServerNeverBoundTheWalk) {
  const std::string session = LogIn("2147483647 274") + Listing(2) + WalkSummary(2, {"From: Two"}) +
                              WalkSummary(1, {"From: One"}) + Quit();
  for (bool manual : {true, false}) {
    SCOPED_TRACE(manual ? "manual" : "automatic");
    server_.AddConversation(session);

    const mailbox::CheckOutcome outcome = Check({true, manual, 0});

    EXPECT_THAT(Senders(), ElementsAre("Two", "One"));
    EXPECT_EQ(outcome.MailCount, 2147483647);
    EXPECT_EQ(outcome.ListTotal, 2147483647);
    ASSERT_TRUE(outcome.Incomplete);
    EXPECT_EQ(outcome.Incomplete->Short, "2 of 2147483647 listed");
    EXPECT_TRUE(server_.WaitUntilDone());
  }
  EXPECT_THAT(server_.Failures(), IsEmpty());
}

// Message 2 of 3 sends a header past the line cap, which costs the
// connection: its row stays empty, and message 1 is summarised in a new
// session while the mailbox holds what it held. When the mailbox changed
// meanwhile the numbers may name other messages, and the walk ends there
// (the automatic check's walk here).
TEST_F(MailboxCheckFault, SummaryThatCostsTheConnectionLeavesTheOtherRowsFilled) {
  std::string flood = "C: TOP 2 0\nS: +OK\n";
  for (int i = 0; i <= pop3::TPop3Client::kMaxHeaderLines; ++i) flood += "S: X-Spam: y\n";
  const std::string lostSession = LogIn("3 600") + Listing(3) + WalkSummary(3, {"From: Three"}) + flood + "S: .\n";

  server_.AddConversation(lostSession);
  server_.AddConversation(LogIn("3 600") + Summary(1, {"From: One"}) + Quit());
  mailbox::CheckOutcome outcome = ManualCheck();
  EXPECT_THAT(Senders(), ElementsAre("Three", "", "One"));
  EXPECT_FALSE(outcome.Incomplete);
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_THAT(server_.Failures(), IsEmpty());

  server_.AddConversation(lostSession);
  server_.AddConversation(LogIn("2 300") + Quit());
  outcome = Check({true, false, 0});
  EXPECT_THAT(Senders(), ElementsAre("Three", "", ""));
  ASSERT_TRUE(outcome.Incomplete);
  EXPECT_EQ(outcome.Incomplete->Short, "header too long");
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_THAT(server_.Failures(), IsEmpty());
  EXPECT_EQ(server_.ConnectionsServed(), 4);
  EXPECT_FALSE(mailbox_.Client().IsConnected());
}

// A server that lists PIPELINING and sends an answer nobody asked for after
// every TOP answer: read in order, each answer would land one row off.
// LIST n, sent with each TOP n 0, names its message; its place is taken by
// the unasked answer, so the first row's summary is never handed out, the
// session ends without another command, and the outcome says why.
TEST_F(MailboxCheckFault, UnaskedAnswersNeverFillARow) {
  const std::string unasked = "S: +OK\nS: Subject: UNASKED\nS:\nS: .\n";
  std::string script = testsupport::sessions::PipeliningCheckStart(2);
  script += "C: TOP 2 0\nC: LIST 2\nC: TOP 1 0\nC: LIST 1\n";
  script += "S: +OK\nS: Subject: Two\nS:\nS: .\n" + unasked + "S: +OK 2 200\n";
  script += "S: +OK\nS: Subject: One\nS:\nS: .\n" + unasked + "S: +OK 1 100\n";
  server_.AddConversation(script);

  const mailbox::CheckOutcome outcome = ManualCheck();

  EXPECT_THAT(Subjects(), ElementsAre("", ""));
  ASSERT_TRUE(outcome.Incomplete);
  EXPECT_EQ(outcome.Incomplete->Short, "server out of step");
  EXPECT_THAT(outcome.Incomplete->Long, HasSubstr("no command asked for"));
  EXPECT_TRUE(events_.NoFailureTold());
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_THAT(server_.Failures(), IsEmpty());
  EXPECT_FALSE(server_.ReceivedLine("QUIT"));
}

// STAT counts three messages; the listing breaks off after the first. The
// one row is kept, and the outcome says that it is not the mailbox; the
// next check starts afresh.
TEST_F(MailboxCheckFault, ListingCutShortSaysSo) {
  server_.AddConversation(LogIn("3 600") + "C: LIST \nS: +OK\nS: 1 100\nCLOSE\n");

  mailbox::CheckOutcome outcome = ManualCheck();

  EXPECT_THAT(Numbers(), ElementsAre(1));
  EXPECT_FALSE(outcome.Listed);
  ASSERT_TRUE(outcome.Incomplete);
  EXPECT_EQ(outcome.Incomplete->Short, "connection lost, 1 of 3 listed");
  EXPECT_THAT(outcome.Incomplete->Long, HasSubstr("The connection to the server was lost"));
  EXPECT_TRUE(events_.NoFailureTold());
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_THAT(server_.Failures(), IsEmpty());

  server_.AddConversation(LogIn("1 100") + Listing(1) + WalkSummary(1, {"From: One"}) + Quit());
  outcome = ManualCheck();
  EXPECT_THAT(Senders(), ElementsAre("One"));
  EXPECT_FALSE(outcome.Incomplete);
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_THAT(server_.Failures(), IsEmpty());
}

}  // namespace

}  // namespace mailboxtest
