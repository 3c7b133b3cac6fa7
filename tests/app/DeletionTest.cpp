#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/gui/Application.h"
#include "platform/testing/TestAccess.h"
#include "tests/support/Wait.h"
#include "tests/app/FormTest.h"
#include "tests/support/ScriptedPop3Server.h"

namespace apptest {

namespace {

namespace access = platform::test_access;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testsupport::ScriptedPop3Server;

std::string ChangedBoxText(int count) {
  return std::to_string(count) +
         " ticked message(s) were not deleted because the mailbox changed since the last check. "
         "Check again and tick them anew.";
}

// Deletion against the test Dovecot: what stays on the server is what the
// next check lists.
class Deletion : public DovecotFormTest {
 protected:
  void Tick(int row) { access::ClickCell(*Form().StringGrid1, row, 0); }
  void ClickDelete() { access::Click(*Form().DeleteButton); }

  ::testing::AssertionResult ListEmptied() {
    if (Form().StringGrid1->RowCount() != 1 || Form().StringGrid1->HasCheckBox(0, 0) ||
        !Form().StringGrid1->Cell(5, 0).empty())
      return ::testing::AssertionFailure() << "the list still has " << Form().StringGrid1->RowCount() << " rows";
    return ::testing::AssertionSuccess();
  }

  // A message whose size grows with n.
  std::int64_t AddSizedMessage(int n) {
    return Mail().AddMessage(Message({"From: Sender " + std::to_string(n), "Subject: " + std::string(n * 10, 'x')}));
  }
};

TEST_F(Deletion, DeletesTickedRowsFromTheTopOneSessionEach) {
  for (int n = 1; n <= 3; ++n) AddNumberedMessage(n);
  EnterMailboxAccount();
  auto server = testsupport::Pop3TestServer::FromEnvironment();
  const std::uintmax_t checkLogStart = server->LogSize();
  ClickCheck();
  // The server logs from a process of its own: the check's sign-off must be
  // in the log before the deletion's part of it begins.
  ASSERT_TRUE(Mail().WaitForLog(checkLogStart, "del=0/3"));
  const std::uintmax_t logStart = server->LogSize();
  Tick(0);
  Tick(2);
  // What the list shows at the end of every session: comparing a message
  // with its row must not write into the list.
  std::vector<std::vector<std::string>> sendersAtSessionEnd;
  Form().POP3->OnDisconnect = [&](platform::TComponent*) { sendersAtSessionEnd.push_back(Column(1)); };
  Form().SetApplicationTitle(app::kAlertApplicationTitle);

  ClickDelete();

  EXPECT_TRUE(ListEmptied());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(WindowRestored());
  EXPECT_EQ(Form().CheckButton->Hint(), "");
  EXPECT_EQ(platform::Application::Title(), app::kApplicationTitle);
  EXPECT_FALSE(Form().POP3->IsConnected());
  ASSERT_EQ(sendersAtSessionEnd.size(), 2u);
  for (const auto& senders : sendersAtSessionEnd) EXPECT_THAT(senders, ElementsAre("Sender 3", "Sender 2", "Sender 1"));

  // Two sessions, each signed off with QUIT: the first deleted one of three
  // messages, the second one of the two left. The server's process logs the
  // second sign-off once it has removed the message: only then count.
  ASSERT_TRUE(Mail().WaitForLog(logStart, "del=1/2"));
  EXPECT_EQ(Mail().Count(), 1);
  std::vector<std::string> logouts;
  for (const std::string& line : Mail().LogLinesSince(logStart))
    if (line.find("Logged out") != std::string::npos) logouts.push_back(line.substr(line.find("del=")));
  ASSERT_EQ(logouts.size(), 2u);
  EXPECT_EQ(logouts[0].substr(0, 9), "del=1/3, ");
  EXPECT_EQ(logouts[1].substr(0, 9), "del=1/2, ");

  Form().POP3->OnDisconnect = nullptr;
  ClickCheck();
  EXPECT_THAT(Column(5), ElementsAre("1"));
  EXPECT_THAT(Column(1), ElementsAre("Sender 2"));
}

TEST_F(Deletion, WrongPasswordDeletesNothingAndEmptiesList) {
  for (int n = 1; n <= 3; ++n) AddNumberedMessage(n);
  EnterMailboxAccount();
  ClickCheck();
  Tick(0);
  Tick(1);
  access::TypeText(*Form().PasswordEdit, "not-the-password");
  access::Click(*Form().CheckBox2);

  ClickDelete();

  EXPECT_THAT(BoxTexts(BoxKind::Information),
              ElementsAre("User Name / Password INVALID !", "User Name / Password INVALID !"));
  EXPECT_EQ(Mail().Count(), 3);
  EXPECT_TRUE(ListEmptied());
  EXPECT_FALSE(Form().CheckBox2->Checked());
  EXPECT_TRUE(WindowRestored());
}

TEST_F(Deletion, MessageOfSameSizeNowUnderTheNumberIsKept) {
  for (int n = 1; n <= 3; ++n) AddNumberedMessage(n);
  EnterMailboxAccount();
  ClickCheck();
  ASSERT_EQ(Column(4)[0], Column(4)[1]);
  Tick(1);
  // Message 1 goes behind the window's back: message 3, as large as the
  // ticked message 2, is now number 2.
  Mail().Reset();
  AddNumberedMessage(2);
  AddNumberedMessage(3);

  ClickDelete();

  EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre(ChangedBoxText(1)));
  EXPECT_TRUE(ListEmptied());
  EXPECT_TRUE(WindowRestored());
  ClickCheck();
  EXPECT_THAT(Column(1), ElementsAre("Sender 3", "Sender 2"));
}

TEST_F(Deletion, WithoutSummariesSizeAndCountGuardTheNumbers) {
  for (int n = 1; n <= 3; ++n) AddSizedMessage(n);
  EnterMailboxAccount();
  access::Click(*Form().CheckBox5);
  ClickCheck();
  ASSERT_THAT(Column(1), ElementsAre("", "", ""));
  Tick(0);
  Tick(1);
  Mail().Reset();
  AddSizedMessage(2);
  AddSizedMessage(3);

  ClickDelete();

  // Number 3 is gone; number 2 is now message 3, of another size.
  EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre(ChangedBoxText(2)));
  EXPECT_EQ(Mail().Count(), 2);
}

TEST_F(Deletion, MessageAddedBehindTheWindowKeepsNumbersValid) {
  for (int n = 1; n <= 2; ++n) AddNumberedMessage(n);
  EnterMailboxAccount();
  ClickCheck();
  Tick(0);
  Tick(1);
  AddNumberedMessage(3);

  ClickDelete();

  EXPECT_TRUE(Boxes().empty());
  ClickCheck();
  EXPECT_THAT(Column(1), ElementsAre("Sender 3"));
}

// Deletion against scripted conversations: the exact commands, and the
// server's refusals.
class DeletionScripted : public FormTest {
 protected:
  std::string ScriptedServerText() const {
    return std::string(ScriptedPop3Server::Host()) + ":" + std::to_string(server_.Port());
  }

  static std::string LogIn(int count, int total) {
    return "S: +OK ready\n"
           "C: USER ann\n"
           "S: +OK\n"
           "C: PASS secret\n"
           "S: +OK logged in\n"
           "C: STAT\n"
           "S: +OK " +
           std::to_string(count) + " " + std::to_string(total) + "\n";
  }

  // A check without "Analyse" listing messages 1..n of sizes 100, 200, ...
  void CheckScripted(int count) {
    std::string script = LogIn(count, 0) + "C: LIST \nS: +OK\n";
    for (int msg = 1; msg <= count; ++msg) script += "S: " + std::to_string(msg) + " " + std::to_string(msg * 100) + "\n";
    server_.AddConversation(script + "S: .\nC: QUIT\nS: +OK bye\n");
    EnterAccount(ScriptedServerText(), "ann", "secret");
    if (Form().CheckBox5->Checked()) access::Click(*Form().CheckBox5);
    ClickCheck();
    ASSERT_EQ(Form().StringGrid1->RowCount(), count);
  }

  // The comparison of message msg with its row: a summary and its size.
  static std::string Summary(int msg, int size) {
    std::string number = std::to_string(msg);
    return "C: TOP " + number + " 0\nS: +OK\nS: From: Someone\nS:\nS: .\nC: LIST " + number + "\nS: +OK " + number +
           " " + std::to_string(size) + "\n";
  }

  std::vector<std::string> CommandsAfterCheck() {
    std::vector<std::string> received = server_.Received();
    auto firstQuit = std::find(received.begin(), received.end(), "QUIT");
    std::vector<std::string> commands;
    for (auto it = firstQuit + 1; it < received.end(); ++it)
      if (it->rfind("USER", 0) != 0 && it->rfind("PASS", 0) != 0) commands.push_back(*it);
    return commands;
  }

  void Tick(int row) { access::ClickCell(*Form().StringGrid1, row, 0); }

  ScriptedPop3Server server_;
};

TEST_F(DeletionScripted, SessionPerTickedMessageHighestNumberFirst) {
  CheckScripted(3);
  Tick(0);
  Tick(2);
  server_.AddConversation(LogIn(3, 600) + Summary(3, 300) + "C: DELE 3\nS: +OK deleted\nC: QUIT\nS: +OK bye\n");
  server_.AddConversation(LogIn(2, 300) + Summary(1, 100) + "C: DELE 1\nS: +OK deleted\nC: QUIT\nS: +OK bye\n");

  access::Click(*Form().DeleteButton);

  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_THAT(server_.Failures(), IsEmpty());
  EXPECT_EQ(server_.ConnectionsServed(), 3);
  EXPECT_THAT(CommandsAfterCheck(), ElementsAre("STAT", "TOP 3 0", "LIST 3", "DELE 3", "QUIT", "STAT", "TOP 1 0",
                                                "LIST 1", "DELE 1", "QUIT"));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Form().ListTotal, 3);
  EXPECT_TRUE(WindowRestored());
}

TEST_F(DeletionScripted, NothingTickedOpensNoSession) {
  CheckScripted(2);
  Form().CheckButton->SetHint("2");

  access::Click(*Form().DeleteButton);

  // The check's session ends on the server's thread; wait for it to count.
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_EQ(server_.ConnectionsServed(), 1);
  EXPECT_EQ(Form().StringGrid1->RowCount(), 1);
  EXPECT_FALSE(Form().StringGrid1->HasCheckBox(0, 0));
  EXPECT_EQ(Form().CheckButton->Hint(), "");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(WindowRestored());
}

TEST_F(DeletionScripted, RefusedDeleteStopsAutoCheckAndGoesOn) {
  CheckScripted(2);
  Tick(0);
  Tick(1);
  access::Click(*Form().CheckBox2);
  server_.AddConversation(LogIn(2, 300) + Summary(2, 200) + "C: DELE 2\nS: -ERR locked\nC: QUIT\nS: +OK bye\n");
  server_.AddConversation(LogIn(2, 300) + Summary(1, 100) + "C: DELE 1\nS: +OK deleted\nC: QUIT\nS: +OK bye\n");

  access::Click(*Form().DeleteButton);

  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_THAT(server_.Failures(), IsEmpty());
  EXPECT_TRUE(server_.ReceivedLine("DELE 1"));
  EXPECT_FALSE(Form().CheckBox2->Checked());
  EXPECT_EQ(Form().ListTotal, 0);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(WindowRestored());
}

TEST_F(DeletionScripted, RefusedSummaryLeavesMessageAndIsCounted) {
  CheckScripted(1);
  Tick(0);
  server_.AddConversation(LogIn(1, 100) + "C: TOP 1 0\nS: -ERR no such message\nC: QUIT\nS: +OK bye\n");

  access::Click(*Form().DeleteButton);

  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_THAT(server_.Failures(), IsEmpty());
  EXPECT_EQ(server_.CountReceived("DELE"), 0);
  EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre(ChangedBoxText(1)));
  EXPECT_TRUE(WindowRestored());
}

// A server gone mid-session is a failure, not a changed mailbox: nothing is
// counted, and the next ticked message gets its session.
TEST_F(DeletionScripted, LostConnectionIsNoMailboxChange) {
  CheckScripted(2);
  Tick(0);
  Tick(1);
  server_.AddConversation(LogIn(2, 300) + "C: TOP 2 0\nCLOSE\n");
  server_.AddConversation(LogIn(2, 300) + Summary(1, 100) + "C: DELE 1\nS: +OK deleted\nC: QUIT\nS: +OK bye\n");

  access::Click(*Form().DeleteButton);

  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_THAT(server_.Failures(), IsEmpty());
  EXPECT_EQ(server_.CountReceived("DELE"), 1);
  EXPECT_TRUE(server_.ReceivedLine("DELE 1"));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(WindowRestored());
  EXPECT_FALSE(Form().POP3->IsConnected());
}

TEST_F(DeletionScripted, ClosingTheWindowStopsTheDeletion) {
  CheckScripted(2);
  Tick(0);
  Tick(1);
  server_.AddConversation(LogIn(2, 300) + "C: TOP 2 0\nSTALL\n");
  Form().POP3->OnConnect = [&](platform::TComponent*) { Form().Window->PostClose(); };

  access::Click(*Form().DeleteButton);

  EXPECT_TRUE(WindowRestored());
  EXPECT_TRUE(testsupport::PumpUntil([&] { return !Form().Window->Visible(); }));
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_EQ(server_.ConnectionsServed(), 2);
  EXPECT_EQ(server_.CountReceived("DELE"), 0);
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace

}  // namespace apptest
