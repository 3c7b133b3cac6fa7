#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ListView.h"
#include "platform/gui/Application.h"
#include "platform/testing/TestAccess.h"
#include "tests/app/FormTest.h"
#include "tests/support/ScriptedPop3Server.h"
#include "tests/support/ScriptedSessions.h"

// A server that lies or attacks: counts it does not keep, header lines far
// too long, markup in its replies and in the messages. The window must stay
// usable, fill what it can, tell what failed, and show text as written.
namespace apptest {

namespace {

namespace access = platform::test_access;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testsupport::ScriptedPop3Server;
using namespace testsupport::sessions;

constexpr char kMarkup[] = "<b>bold</b> &amp; <i>tag</i>";

class HostileServer : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    EnterAccount(std::string(ScriptedPop3Server::Host()) + ":" + std::to_string(server_.Port()), "ann", "secret");
  }

  ScriptedPop3Server server_;
};

// STAT claims 2147483647 messages, LIST gives two: both checks and the
// "Analyse" label walk the rows there are, and the window comes back (a
// walk to the server's count never ended, and overflowed).
TEST_F(HostileServer, CountsFromTheServerNeverBoundTheWalks) {
  const std::string session = LogIn("2147483647 274") + Listing(2) + WalkSummary(2, {"From: Two"}) +
                              WalkSummary(1, {"From: One"}) + Quit();
  server_.AddConversation(session);
  ClickCheck();
  // What the server counted and what it listed differ: the status line
  // says so.
  EXPECT_EQ(Form().Label5->Text(), "Incomplete: 2 of 2147483647 listed");
  EXPECT_TRUE(WindowRestored(true));

  access::Click(*Form().Label8);
  EXPECT_TRUE(RowTicked(*Form().StringGrid1, 0));
  EXPECT_TRUE(RowTicked(*Form().StringGrid1, 1));

  server_.AddConversation(session);
  Form().CheckBox2->SetChecked(true);
  Form().Timer1Timer();
  EXPECT_TRUE(WindowRestored(true));
  EXPECT_FALSE(Form().AutoCheckBusy);
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_THAT(server_.Failures(), IsEmpty());
}

// Message 2 of 3 has a header line of 70,000 bytes and message 1's summary
// is refused: the long line is cut, not refused; each row is filled when
// its own message can be, and the deletion of message 2 is carried out.
TEST_F(HostileServer, OneMessagesSummaryNeverCostsTheOthersTheirs) {
  const std::string longSubject = "Subject: " + std::string(70000, 'x');
  const std::string cutSubject = longSubject.substr(9, pop3::TPop3Client::kMaxHeaderLineBytes - 9);
  server_.AddConversation(LogIn("3 600") + Listing(3) + WalkSummary(3, {"From: Three"}) +
                          WalkSummary(2, {longSubject, "From: Two"}) + "C: TOP 1 0\nS: -ERR gone\n" + Quit());
  ClickCheck();
  EXPECT_THAT(Column(app::kSenderColumn), ElementsAre("Three", "Two", ""));
  EXPECT_THAT(Column(app::kSubjectColumn), ElementsAre("", cutSubject, ""));

  access::ClickCell(*Form().StringGrid1, 1, app::kTickColumn);
  server_.AddConversation(LogIn("3 600") + Summary(2, {longSubject, "From: Two"}) +
                          "C: DELE 2\nS: +OK deleted\n" + Quit());
  access::Click(*Form().DeleteButton);
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_THAT(server_.Failures(), IsEmpty());
  EXPECT_TRUE(server_.ReceivedLine("DELE 2"));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(WindowRestored());
}

// A ticked message that is not deleted, whatever the reason (here the
// log-in is refused), is reported once the list has been emptied.
TEST_F(HostileServer, DeletionThatDeletesNothingSaysSo) {
  server_.AddConversation(LogIn("1 100") + Listing(1) + WalkSummary(1, {"From: One"}) + Quit());
  ClickCheck();
  access::ClickCell(*Form().StringGrid1, 0, app::kTickColumn);
  server_.AddConversation("S: +OK ready\nC: CAPA\nS: -ERR\nC: USER ann\nS: +OK\nC: PASS secret\nS: -ERR denied\nC: QUIT\nS: +OK\n");

  access::Click(*Form().DeleteButton);

  EXPECT_TRUE(server_.WaitUntilDone());
  std::vector<std::string> texts = BoxTexts(BoxKind::Information);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "User Name / Password INVALID !");
  EXPECT_THAT(texts[1], ::testing::StartsWith("1 ticked message(s) were not deleted"));
  EXPECT_TRUE(WindowRestored());
}

// STAT counts three messages; the listing breaks off after the first. The
// status line says that the list is not the mailbox, and its hint why,
// without a box.
TEST_F(HostileServer, ListingCutShortSaysSo) {
  server_.AddConversation(LogIn("3 600") + "C: LIST \nS: +OK\nS: 1 100\nCLOSE\n");

  ClickCheck();

  EXPECT_EQ(Form().Label5->Text(), "Incomplete: connection lost, 1 of 3 listed");
  EXPECT_THAT(Form().Label5->Hint(), ::testing::HasSubstr("The connection to the server was lost"));
  EXPECT_THAT(Boxes(), IsEmpty());
  EXPECT_TRUE(WindowRestored(true));
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_THAT(server_.Failures(), IsEmpty());

  // The next command starts afresh: its status line knows nothing of the
  // note.
  server_.AddConversation(LogIn("1 100") + Listing(1) + WalkSummary(1, {"From: One"}) + Quit());
  ClickCheck();
  EXPECT_TRUE(WindowRestored());
  EXPECT_EQ(Form().Label5->Hint(), "");
}

// Ids the server derives from a message's bytes repeat: "DUP" names both
// message 1 and message 3, so it names neither. The rows of messages 1 and
// 3 are checked as a server without ids has them checked. With message 2
// deleted by another client, the ticked row of message 3 now names nothing
// (there is no number 3), and nothing is deleted; with the mailbox as it
// was, message 3 itself is compared with its row and deleted. The header
// view of its row shows message 3, never message 1.
TEST_F(HostileServer, RepeatedUniqueIdNeverDeletesAnUntickedMessage) {
  const std::string ids = "C: UIDL\nS: +OK\nS: 1 DUP\nS: 2 X\nS: 3 DUP\nS: .\n";
  const std::string listing = Listing(3);
  const std::string check = LogIn("3 600") + listing.substr(0, listing.find("C: UIDL")) + ids +
                            WalkSummary(3, {"From: Three"}) + WalkSummary(2, {"From: Two"}) +
                            WalkSummary(1, {"From: One"}) + Quit();
  for (bool secondDeleted : {true, false}) {
    server_.AddConversation(check);
    ClickCheck();
    ASSERT_THAT(Column(app::kSenderColumn), ElementsAre("Three", "Two", "One"));
    access::ClickCell(*Form().StringGrid1, 0, app::kTickColumn);
    server_.AddConversation(secondDeleted ? LogIn("2 300") + Quit()
                                          : LogIn("3 600") + Summary(3, {"From: Three"}) + "C: DELE 3\nS: +OK\n" + Quit());

    access::Click(*Form().DeleteButton);

    EXPECT_TRUE(server_.WaitUntilDone()) << secondDeleted;
    EXPECT_THAT(server_.Failures(), IsEmpty()) << secondDeleted;
    EXPECT_EQ(server_.ReceivedLine("DELE 3"), !secondDeleted);
    EXPECT_FALSE(server_.ReceivedLine("DELE 1"));
    if (secondDeleted) {
      EXPECT_THAT(BoxTexts(BoxKind::Information),
                  ElementsAre(::testing::StartsWith("1 ticked message(s) were not deleted because the mailbox changed")));
    } else {
      EXPECT_THAT(Boxes(), IsEmpty());
    }
    platform::dialog_script::Reset();
  }

  server_.AddConversation(check);
  ClickCheck();
  server_.AddConversation(LogIn("3 600") + Summary(3, {"From: Three"}) + Quit());
  access::DoubleClickCell(*Form().StringGrid1, 0, app::kSenderColumn);
  EXPECT_THAT(access::ShownText(*Form().Memo1), ::testing::StartsWith("From: Three\n"));
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_THAT(server_.Failures(), IsEmpty());
}

// Markup from the wire and from a message: in the error box of a refused
// QUIT during an automatic check (no click at all), in the list's cells
// and in the header view, it is shown as written.
TEST_F(HostileServer, MarkupFromTheServerIsShownAsWritten) {
  const std::string from = std::string("From: ") + kMarkup;
  server_.AddConversation(LogIn("1 100") + Listing(1) + WalkSummary(1, {from}) + "C: QUIT\nS: -ERR " + kMarkup + "\n");
  Form().CheckBox2->SetChecked(true);

  std::vector<std::string> boxes = access::ShownRealBoxes([this] {
    try {
      Form().Timer1Timer();
    } catch (const std::exception& error) {
      platform::Application::ShowException(error);
    }
  });

  EXPECT_THAT(boxes, ElementsAre(std::string("-ERR ") + kMarkup + "\n"));
  EXPECT_THAT(Column(app::kSenderColumn), ElementsAre(kMarkup));
  server_.AddConversation(LogIn("1 100") + Summary(1, {from}) + Quit());
  access::DoubleClickCell(*Form().StringGrid1, 0, app::kSenderColumn);
  EXPECT_THAT(access::ShownText(*Form().Memo1), ::testing::StartsWith(from + "\n"));
  EXPECT_TRUE(server_.WaitUntilDone());
}

}  // namespace

}  // namespace apptest
