#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/gui/Application.h"
#include "platform/testing/TestAccess.h"
#include "tests/support/Wait.h"
#include "tests/app/FormTest.h"
#include "pop3/Pop3Client.h"
#include "tests/support/ScriptedPop3Server.h"

namespace apptest {

namespace {

namespace access = platform::test_access;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testsupport::ScriptedPop3Server;

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// The boxes start with a sentence and name the rows they are about below
// it, one per line, as the list showed them: "sender: subject (size bytes)".
std::string ChangedSentence(int count) {
  return std::to_string(count) +
         " ticked message(s) were not deleted because the mailbox changed since the last check. "
         "Check again and tick them anew.\n";
}

std::string NotReachedSentence(int count) {
  return std::to_string(count) +
         " ticked message(s) were not deleted: the server could not be reached or refused the log-in. "
         "They are still on the server; check again.\n";
}

::testing::Matcher<std::string> ChangedBox(int count, const std::string& row) {
  return AllOf(StartsWith(ChangedSentence(count)), HasSubstr("\n" + row + " ("));
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

TEST_F(Deletion, DeletesEveryTickedRowInOneSession) {
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
  Form().Mailbox().Client().OnDisconnect = [&](platform::TComponent*) { sendersAtSessionEnd.push_back(Column(1)); };
  Form().SetApplicationTitle(app::kAlertApplicationTitle);

  ClickDelete();

  EXPECT_TRUE(ListEmptied());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(WindowRestored());
  EXPECT_EQ(Form().CheckButton->Hint(), "");
  EXPECT_EQ(platform::Application::Title(), app::kApplicationTitle);
  EXPECT_FALSE(Form().Mailbox().Client().IsConnected());
  ASSERT_EQ(sendersAtSessionEnd.size(), 1u);
  EXPECT_THAT(sendersAtSessionEnd[0], ElementsAre("Sender 3", "Sender 2", "Sender 1"));

  // One session, signed off with QUIT, deleted two of the three messages.
  // The server's process logs the sign-off once it has removed them: only
  // then count.
  ASSERT_TRUE(Mail().WaitForLog(logStart, "del=2/3"));
  EXPECT_EQ(Mail().Count(), 1);
  std::vector<std::string> logouts;
  for (const std::string& line : Mail().LogLinesSince(logStart))
    if (line.find("Logged out") != std::string::npos) logouts.push_back(line.substr(line.find("del=")));
  ASSERT_EQ(logouts.size(), 1u);
  EXPECT_EQ(logouts[0].substr(0, 9), "del=2/3, ");

  Form().Mailbox().Client().OnDisconnect = nullptr;
  ClickCheck();
  EXPECT_THAT(Column(5), ElementsAre("1"));
  EXPECT_THAT(Column(1), ElementsAre("Sender 2"));
}

// Dovecot serving ids of a mailbox brought from a server that derives them
// from a message's bytes: messages 1 and 3 share one. The ticked row of
// message 3 is checked as without ids; once another client has deleted
// message 2 it names no message (there is no number 3), and nothing is
// deleted. With the mailbox left alone, exactly message 3 goes.
TEST_F(Deletion, RepeatedUniqueIdNeverDeletesAnUntickedMessage) {
  for (bool secondDeleted : {true, false}) {
    Mail().Reset();
    for (int n = 1; n <= 3; ++n) AddNumberedMessage(n);
    EnterMailboxAccount();
    ClickCheck();
    Mail().SetUniqueIds({"DUP", "X", "DUP"});
    ClickCheck();
    ASSERT_THAT(Column(1), ElementsAre("Sender 3", "Sender 2", "Sender 1"));
    Tick(0);
    if (secondDeleted) {
      pop3::TPop3Client other;
      other.Host = Form().Mailbox().Client().Host;
      other.Port = Form().Mailbox().Client().Port;
      other.UserID = Mail().User();
      other.Password = Mail().Password();
      other.Connect();
      other.DeleteMessage(2);
      other.Disconnect();
    }

    ClickDelete();

    ClickCheck();
    if (secondDeleted) {
      EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre(ChangedBox(1, "Sender 3: Subject 3")));
      EXPECT_THAT(Column(1), ElementsAre("Sender 3", "Sender 1"));
    } else {
      EXPECT_THAT(BoxTexts(BoxKind::Information), IsEmpty());
      EXPECT_THAT(Column(1), ElementsAre("Sender 2", "Sender 1"));
    }
    platform::dialog_script::Reset();
  }
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

  // One session, so one refusal box, then what was not deleted, by name:
  // the list is emptied all the same.
  EXPECT_THAT(BoxTexts(BoxKind::Information),
              ElementsAre("User Name / Password INVALID !",
                          AllOf(StartsWith(NotReachedSentence(2)), HasSubstr("\nSender 3: Subject 3 ("),
                                HasSubstr("\nSender 2: Subject 2 ("))));
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

  EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre(ChangedBox(1, "Sender 2: Subject 2")));
  EXPECT_TRUE(ListEmptied());
  EXPECT_TRUE(WindowRestored());
  ClickCheck();
  EXPECT_THAT(Column(1), ElementsAre("Sender 3", "Sender 2"));
}

// The rows show decoded text; the check before each DELE decodes the
// fresh header alike, so a decoded row still names its message, and a
// message of the same size and sender that differs in what it shows does
// not.
TEST_F(Deletion, DecodedRowIsDeletedAndChangedOneKept) {
  const std::string from = "From: =?utf-8?q?J=C3=B6rg_M=C3=BCller?= <j@example.de>";
  Mail().AddMessage(Message({from, "Subject: =?utf-8?q?Gr=C3=BC=C3=9Fe_1?=", "Date: Mon, 07 Dec 2026 10:31:00 +0100"}));
  Mail().AddMessage(Message({from, "Subject: =?utf-8?q?Gr=C3=BC=C3=9Fe_2?=", "Date: Mon, 07 Dec 2026 10:32:00 +0100"}));
  Mail().AddMessage(Message({from, "Subject: =?utf-8?q?Gr=C3=BC=C3=9Fe_3?=", "Date: Mon, 07 Dec 2026 10:33:00 +0100"}));
  EnterMailboxAccount();
  ClickCheck();
  ASSERT_EQ(Column(2)[0], "Gr\xC3\xBC\xC3\x9F" "e 3");
  Tick(0);
  Tick(2);

  ClickDelete();

  EXPECT_TRUE(BoxTexts(BoxKind::Information).empty());
  EXPECT_TRUE(ListEmptied());
  ClickCheck();
  EXPECT_THAT(Column(2), ElementsAre("Gr\xC3\xBC\xC3\x9F" "e 2"));

  // Same size, same sender, another subject (as shown) under the number:
  // kept. Then the same subject with only the seconds of its date changed
  // (the column shows minutes): kept as well.
  for (const char* changed : {"Subject: =?utf-8?q?Gr=C3=BC=C3=9Fe_4?=", "Date: Mon, 07 Dec 2026 10:32:30 +0100"}) {
    Mail().Reset();
    Mail().AddMessage(Message({from, "Subject: =?utf-8?q?Gr=C3=BC=C3=9Fe_2?=", "Date: Mon, 07 Dec 2026 10:32:00 +0100"}));
    ClickCheck();
    Tick(0);
    Mail().Reset();
    const bool subjectChanged = std::string(changed).rfind("Subject", 0) == 0;
    Mail().AddMessage(Message({from, subjectChanged ? changed : "Subject: =?utf-8?q?Gr=C3=BC=C3=9Fe_2?=",
                               subjectChanged ? "Date: Mon, 07 Dec 2026 10:32:00 +0100" : changed}));

    ClickDelete();

    EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre(StartsWith(ChangedSentence(1)))) << changed;
    EXPECT_EQ(Mail().Count(), 1) << changed;
    platform::dialog_script::Reset();
  }
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

  // Number 3 is gone; number 2 is now message 3, of another size. Rows
  // without a summary are named by what they show: their size.
  EXPECT_THAT(BoxTexts(BoxKind::Information),
              ElementsAre(AllOf(StartsWith(ChangedSentence(2)), HasSubstr("\n(unknown sender): (no subject) ("))));
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

// Another client deletes message 1 after the check: every number the list
// shows now names the next message, of the same size. Each command on a
// row acts on the row's own message, found by its unique id.
TEST_F(Deletion, RowsNameTheirMessageByUniqueIdAfterTheMailboxChanged) {
  for (int n = 1; n <= 3; ++n) AddNumberedMessage(n);
  EnterMailboxAccount();
  access::Click(*Form().CheckBox5);
  ClickCheck();
  ASSERT_THAT(Column(5), ElementsAre("3", "2", "1"));
  ASSERT_EQ(Column(4)[0], Column(4)[1]);
  auto server = testsupport::Pop3TestServer::FromEnvironment();
  const std::uintmax_t logStart = server->LogSize();
  pop3::TPop3Client other;
  other.Host = server->Address();
  other.Port = server->Port();
  other.UserID = Mail().User();
  other.Password = Mail().Password();
  other.Connect();
  other.DeleteMessage(1);
  other.Disconnect();
  ASSERT_TRUE(Mail().WaitForLog(logStart, "del=1/3"));

  platform::dialog_script::SetNextAnswer(platform::BoxAnswer::Yes);
  access::RightClickCell(*Form().StringGrid1, 1, 1);
  EXPECT_THAT(Column(1), ElementsAre("", "Sender 2", ""));
  access::DoubleClickCell(*Form().StringGrid1, 0, 1);
  EXPECT_NE(Form().Memo1->Text().find("Subject: Subject 3"), std::string::npos) << Form().Memo1->Text();
  access::KeyPress(*Form().Memo1, 27);
  access::DoubleClickCell(*Form().StringGrid1, 2, 1);
  EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre("Mail Item No Longer Available !"));
  platform::dialog_script::Reset();
  Tick(1);

  ClickDelete();

  EXPECT_TRUE(Boxes().empty());
  access::Click(*Form().CheckBox5);
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
           "C: CAPA\n"
           "S: -ERR\n"
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
    server_.AddConversation(script + "S: .\nC: UIDL\nS: -ERR not supported\nC: QUIT\nS: +OK bye\n");
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
      if (it->rfind("USER", 0) != 0 && it->rfind("PASS", 0) != 0 && *it != "CAPA") commands.push_back(*it);
    return commands;
  }

  void Tick(int row) { access::ClickCell(*Form().StringGrid1, row, 0); }

  ScriptedPop3Server server_;
};

// Every ticked row is compared with its message, then every DELE goes
// out, then QUIT commits them: one log-in, whatever the number of rows.
TEST_F(DeletionScripted, OneSessionComparesEveryRowThenDeletes) {
  CheckScripted(3);
  Tick(0);
  Tick(2);
  server_.AddConversation(LogIn(3, 600) + Summary(3, 300) + Summary(1, 100) +
                          "C: DELE 3\nS: +OK deleted\nC: DELE 1\nS: +OK deleted\nC: QUIT\nS: +OK bye\n");

  access::Click(*Form().DeleteButton);

  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_THAT(server_.Failures(), IsEmpty());
  EXPECT_EQ(server_.ConnectionsServed(), 2);
  EXPECT_THAT(CommandsAfterCheck(),
              ElementsAre("STAT", "TOP 3 0", "LIST 3", "TOP 1 0", "LIST 1", "DELE 3", "DELE 1", "QUIT"));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Form().ListTotal, 3);
  EXPECT_TRUE(WindowRestored());
}

// A server that lists PIPELINING before the log-in gets USER and PASS in
// one write and every DELE in another: the script answers none of them
// before it has them all, so a client that waited would stall. The rows
// are found by their ids in one listing: one moved, one gone.
TEST_F(DeletionScripted, PipelinedIdsAndDeletionsMovedAndGoneRows) {
  server_.AddConversation(LogIn(3, 600) + "C: LIST \nS: +OK\nS: 1 100\nS: 2 100\nS: 3 100\nS: .\n" +
                          "C: UIDL\nS: +OK\nS: 1 id-one\nS: 2 id-two\nS: 3 id-three\nS: .\nC: QUIT\nS: +OK bye\n");
  EnterAccount(ScriptedServerText(), "ann", "secret");
  access::Click(*Form().CheckBox5);
  ClickCheck();
  ASSERT_EQ(Form().StringGrid1->RowCount(), 3);
  Tick(0);
  Tick(1);
  Tick(2);
  server_.AddConversation(
      "S: +OK ready\nC: CAPA\nS: +OK\nS: PIPELINING\nS: UIDL\nS: .\n"
      "C: USER ann\nC: PASS secret\nS: +OK\nS: +OK logged in\nC: STAT\nS: +OK 2 200\n"
      "C: UIDL\nS: +OK\nS: 1 id-two\nS: 2 id-three\nS: .\n"
      "C: DELE 2\nC: DELE 1\nS: +OK\nS: +OK\nC: QUIT\nS: +OK\n");

  access::Click(*Form().DeleteButton);

  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_THAT(server_.Failures(), IsEmpty());
  EXPECT_EQ(server_.ConnectionsServed(), 2);
  EXPECT_EQ(server_.CountReceived("TOP"), 0);
  EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre(ChangedSentence(1) + "\n(unknown sender): (no subject) (100 bytes)"));
  EXPECT_TRUE(WindowRestored());
}

// A refused DELE keeps that row's message and names it; the other ticked
// messages are deleted all the same.
TEST_F(DeletionScripted, RefusedDeleteNamesItsRowAndTheOthersGo) {
  CheckScripted(2);
  Tick(0);
  Tick(1);
  access::Click(*Form().CheckBox2);
  server_.AddConversation(LogIn(2, 300) + Summary(2, 200) + Summary(1, 100) +
                          "C: DELE 2\nS: -ERR locked\nC: DELE 1\nS: +OK deleted\nC: QUIT\nS: +OK bye\n");

  access::Click(*Form().DeleteButton);

  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_THAT(server_.Failures(), IsEmpty());
  EXPECT_TRUE(server_.ReceivedLine("DELE 1"));
  EXPECT_FALSE(Form().CheckBox2->Checked());
  EXPECT_EQ(Form().ListTotal, 0);
  EXPECT_THAT(BoxTexts(BoxKind::Information),
              ElementsAre("The server refused to delete 1 ticked message(s). They are still on the server.\n\n"
                          "(unknown sender): (no subject) (200 bytes)"));
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
  EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre(StartsWith(ChangedSentence(1))));
  EXPECT_TRUE(WindowRestored());
}

// POP3 removes nothing before QUIT is answered: a connection lost before
// that, while the rows are compared or after every DELE was answered,
// deleted nothing, and the box says that every ticked message is still
// there. Nothing is tried again: a second session could delete twice.
TEST_F(DeletionScripted, ConnectionLostBeforeQuitsAnswerDeletedNothing) {
  const std::string lostWhileComparing = "C: TOP 2 0\nCLOSE\n";
  const std::string lostAtQuit = Summary(2, 200) + Summary(1, 100) + "C: DELE 2\nS: +OK\nC: DELE 1\nS: +OK\nC: QUIT\nCLOSE\n";
  int sessions = 0;
  for (const std::string& rest : {lostWhileComparing, lostAtQuit}) {
    platform::dialog_script::Reset();
    CheckScripted(2);
    Tick(0);
    Tick(1);
    server_.AddConversation(LogIn(2, 300) + rest);

    access::Click(*Form().DeleteButton);

    EXPECT_TRUE(server_.WaitUntilDone());
    EXPECT_THAT(server_.Failures(), IsEmpty());
    sessions += 2;  // the check's and the deletion's
    EXPECT_EQ(server_.ConnectionsServed(), sessions) << "nothing is tried again";
    EXPECT_THAT(BoxTexts(BoxKind::Information),
                ElementsAre(StartsWith("The connection to the server broke before it confirmed the deletion "
                                       "(connection lost), so nothing was deleted: all 2 ticked message(s) are "
                                       "still on the server. Check again.\n")));
    EXPECT_TRUE(WindowRestored());
    EXPECT_FALSE(Form().Mailbox().Client().IsConnected());
  }
}

// "-ERR" to QUIT: the server says it could not remove every message marked.
// Which ones is not known, so the box says they may still be there.
TEST_F(DeletionScripted, RefusedQuitLeavesTheDeletionInDoubt) {
  CheckScripted(1);
  Tick(0);
  server_.AddConversation(LogIn(1, 100) + Summary(1, 100) +
                          "C: DELE 1\nS: +OK\nC: QUIT\nS: -ERR some deleted messages not removed\n");

  access::Click(*Form().DeleteButton);

  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_THAT(server_.Failures(), IsEmpty());
  EXPECT_THAT(BoxTexts(BoxKind::Information),
              ElementsAre("The server did not confirm the deletion (some deleted messages not removed): some of "
                          "these 1 ticked message(s) may still be on the server. Check again.\n\n"
                          "(unknown sender): (no subject) (100 bytes)"));
  EXPECT_THAT(BoxTexts(BoxKind::Error), IsEmpty());
  EXPECT_TRUE(WindowRestored());
}

TEST_F(DeletionScripted, NothingTickedOpensNoSession) {
  CheckScripted(2);
  Form().CheckButton->SetHint("2");

  access::Click(*Form().DeleteButton);

  // The check's session ends once the server has seen the client close; wait
  // for it to count.
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_EQ(server_.ConnectionsServed(), 1);
  EXPECT_EQ(Form().StringGrid1->RowCount(), 1);
  EXPECT_FALSE(Form().StringGrid1->HasCheckBox(0, 0));
  EXPECT_EQ(Form().CheckButton->Hint(), "");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(WindowRestored());
}

TEST_F(DeletionScripted, ClosingTheWindowStopsTheDeletion) {
  CheckScripted(2);
  Tick(0);
  Tick(1);
  server_.AddConversation(LogIn(2, 300) + "C: TOP 2 0\nSTALL\n");
  Form().Mailbox().Client().OnConnect = [&](platform::TComponent*) { Form().Window->PostClose(); };

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
