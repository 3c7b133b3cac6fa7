#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "platform/core/DataFolder.h"
#include "platform/core/Files.h"
#include "platform/testing/TestAccess.h"
#include "tests/support/Wait.h"
#include "platform/core/WindowTimer.h"
#include "tests/app/FormTest.h"
#include "tests/support/ScriptedPop3Server.h"

namespace apptest {

namespace {

namespace access = platform::test_access;
namespace script = platform::dialog_script;
using ::testing::ElementsAre;
using testsupport::ScriptedPop3Server;

constexpr char kEscape = 27;

constexpr const char* kLogIn =
    "S: +OK ready\n"
    "C: CAPA\n"
    "S: -ERR\n"
    "C: USER ann\n"
    "S: +OK\n"
    "C: PASS secret\n"
    "S: +OK logged in\n"
    "C: STAT\n"
    "S: +OK 2 200\n";

constexpr const char* kQuit =
    "C: QUIT\n"
    "S: +OK bye\n";

// A check without "Analyse": messages 1 and 2, listed as rows 2 (top) and 1,
// on a server without UIDL.
constexpr const char* kListing =
    "C: LIST*\n"
    "S: +OK\n"
    "S: 1 100\n"
    "S: 2 100\n"
    "S: .\n"
    "C: UIDL\n"
    "S: -ERR unknown command\n";

constexpr const char* kHeaderOfOne =
    "C: TOP 1 0\n"
    "S: +OK\n"
    "S: From: Ann\n"
    "S: Subject: Hello\n"
    "S: \n"
    "S: .\n"
    "C: LIST 1\n"
    "S: +OK 1 100\n";

constexpr const char* kHeaderText = "From: Ann\r\nSubject: Hello\r\n\r\n.\r\n";

class ViewerFault : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    EnterAccount(ServerText(), "ann", "secret");
    access::Click(*Form().CheckBox5);
    ASSERT_FALSE(Form().CheckBox5->Checked());
  }

  std::string ServerText() const {
    return std::string(ScriptedPop3Server::Host()) + ":" + std::to_string(server_.Port());
  }

  // Lists messages 1 and 2 with a check.
  void ListTwoMessages() {
    server_.AddConversation(std::string(kLogIn) + kListing + kQuit);
    ClickCheck();
    ASSERT_THAT(Column(5), ElementsAre("2", "1"));
  }

  // Lists the mailbox and opens the header view of message 1 (row 1).
  void OpenHeaderOfOne() {
    ListTwoMessages();
    server_.AddConversation(std::string(kLogIn) + kHeaderOfOne + kQuit);
    access::DoubleClickCell(*Form().StringGrid1, 1, 1);
    ASSERT_EQ(Form().Memo1->Text(), kHeaderText);
    ASSERT_EQ(Form().ViewerMessage, 1);
  }

  // Runs action from the event loop once the server has received the
  // count-th line starting with prefix, that is while the client waits for
  // the answer.
  void WhileWaitingFor(const std::string& prefix, std::function<void()> action, int count = 1) {
    waiter_.SetOnTimer([this, prefix, action, count] {
      if (server_.CountReceivedSoFar(prefix) < count) return;
      waiter_.SetEnabled(false);
      action();
    });
    waiter_.SetEnabled(true);
  }

  ScriptedPop3Server server_;
  platform::WindowTimer waiter_{5, false};
};

TEST_F(ViewerFault, EmptyListRowStartsNothing) {
  ASSERT_EQ(Form().StringGrid1->RowCount(), 1);

  access::DoubleClickCell(*Form().StringGrid1, 0, 1);

  EXPECT_EQ(server_.ConnectionsServed(), 0);
  EXPECT_TRUE(server_.Failures().empty());
  EXPECT_FALSE(Form().Memo1->Visible());
  EXPECT_TRUE(Form().Timer1->Running());
  EXPECT_EQ(Form().ViewerMessage, 0);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(WindowRestored());
}

TEST_F(ViewerFault, RefusedGreetingReportsServerAndKeepsList) {
  ListTwoMessages();
  server_.AddConversation("S: -ERR go away\n" + std::string(kQuit));

  access::DoubleClickCell(*Form().StringGrid1, 0, 1);

  EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre("Errors Encountered With " + ServerText() + " - ABORTING !"));
  EXPECT_FALSE(Form().Memo1->Visible());
  EXPECT_FALSE(Form().ViewerFetch);
  EXPECT_TRUE(WindowRestored());
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_TRUE(server_.Failures().empty());
}

TEST_F(ViewerFault, RefusedBodyKeepsHeaderAndNextDoubleClickSavesIt) {
  OpenHeaderOfOne();
  server_.AddConversation(std::string(kLogIn) +
                          "C: RETR 1\n"
                          "S: -ERR no such message\n" +
                          kQuit);

  access::DoubleClick(*Form().Memo1);

  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(Form().Memo1->Visible());
  EXPECT_EQ(Form().Memo1->Text(), kHeaderText);
  EXPECT_EQ(Form().Label5->Text(), "Body not shown: refused by the server - ESC to close");
  EXPECT_EQ(Form().Label5->Hint(), "The server refused: -ERR no such message");
  EXPECT_EQ(Form().ViewerMessage, 0);
  EXPECT_FALSE(Form().Timer1->Enabled());
  EXPECT_TRUE(Form().CheckButton->Enabled());

  const std::string file = platform::DataFolderFile("header.txt");
  script::SetNextSaveFileName(file);
  access::DoubleClick(*Form().Memo1);
  EXPECT_EQ(platform::ReadFileIfExists(file), std::string(kHeaderText) + "\r\n");
  EXPECT_FALSE(Form().Memo1->Visible());
  EXPECT_TRUE(WindowRestored());
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_EQ(server_.ConnectionsServed(), 3);
  EXPECT_TRUE(server_.Failures().empty());
}

TEST_F(ViewerFault, DoubleClickOnListWhileHeaderWaitsIsIgnored) {
  ListTwoMessages();
  server_.AddConversation(std::string(kLogIn) +
                          "C: TOP 2 0\n"
                          "STALL\n");
  int doubleClicks = 0;
  auto handler = Form().StringGrid1->OnDblClickCell;
  Form().StringGrid1->OnDblClickCell = [&](int row, int col) {
    ++doubleClicks;
    handler(row, col);
  };
  bool clickedAgain = false;
  WhileWaitingFor("TOP 2 0", [&] {
    access::DoubleClickCell(*Form().StringGrid1, 1, 1);
    clickedAgain = true;
    Form().POP3->Abort();
  });

  access::DoubleClickCell(*Form().StringGrid1, 0, 1);

  ASSERT_TRUE(clickedAgain);
  EXPECT_EQ(doubleClicks, 2);
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_EQ(server_.ConnectionsServed(), 2) << "the second double click opened a session";
  EXPECT_FALSE(server_.ReceivedLine("TOP 1 0"));
  EXPECT_FALSE(Form().Memo1->Visible());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Form().Label5->Text(), "Header not shown: connection lost");
  EXPECT_TRUE(WindowRestored(true));
}

TEST_F(ViewerFault, DoubleClickAndEscapeOnViewerWhileBodyWaitsAreIgnored) {
  OpenHeaderOfOne();
  server_.AddConversation(std::string(kLogIn) +
                          "C: RETR 1\n"
                          "STALL\n");
  const std::string file = platform::DataFolderFile("early.txt");
  bool clickedAgain = false;
  WhileWaitingFor("RETR 1", [&] {
    script::SetNextSaveFileName(file);
    access::DoubleClick(*Form().Memo1);
    access::KeyPress(*Form().Memo1, kEscape);
    clickedAgain = true;
    EXPECT_TRUE(Form().Memo1->Visible()) << "Escape closed the viewer under the fetch";
    EXPECT_FALSE(Form().Timer1->Enabled());
    Form().POP3->Abort();
  });

  access::DoubleClick(*Form().Memo1);

  ASSERT_TRUE(clickedAgain);
  EXPECT_TRUE(script::SaveDialogsShown().empty());
  EXPECT_FALSE(platform::FileExists(file));
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_EQ(server_.ConnectionsServed(), 3);
  EXPECT_EQ(Form().Memo1->Text(), kHeaderText);
  EXPECT_EQ(Form().Label5->Text(), "Body not shown: connection lost - ESC to close");
  EXPECT_EQ(Form().ViewerMessage, 0);
  EXPECT_TRUE(Boxes().empty());
}

// Only the buttons are disabled while a viewer fetch waits, so the "Date:"
// label can be clicked meanwhile. It must not close the viewer and restart
// the auto-check timer under the running session (the fetch would then
// open the viewer again); once the fetch has ended it works as always.
TEST_F(ViewerFault, DateLabelWhileBodyWaitsIsIgnored) {
  OpenHeaderOfOne();
  server_.AddConversation(std::string(kLogIn) +
                          "C: RETR 1\n"
                          "STALL\n");
  bool clicked = false;
  WhileWaitingFor("RETR 1", [&] {
    access::Click(*Form().Label3);
    clicked = true;
    EXPECT_TRUE(Form().Memo1->Visible()) << "the label closed the viewer under the fetch";
    EXPECT_FALSE(Form().Timer1->Enabled()) << "the label restarted the auto-check timer under the fetch";
    EXPECT_THAT(Column(5), ElementsAre("2", "1"));
    Form().POP3->Abort();
  });

  access::DoubleClick(*Form().Memo1);

  ASSERT_TRUE(clicked);
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_EQ(Form().Label5->Text(), "Body not shown: connection lost - ESC to close");
  EXPECT_TRUE(Boxes().empty());

  access::Click(*Form().Label3);
  EXPECT_FALSE(Form().Memo1->Visible());
  EXPECT_TRUE(Form().StringGrid1->Visible());
  EXPECT_TRUE(Form().Timer1->Enabled());
  EXPECT_THAT(Column(5), ElementsAre(""));
}

// The user closes the window while a fetch waits: the wait is cancelled,
// no box is shown, and the window closes once the fetch has returned.
TEST_F(ViewerFault, ClosingWhileHeaderWaitsForLogInEndsFetchThenCloses) {
  ListTwoMessages();
  server_.AddConversation(
      "S: +OK ready\n"
      "C: CAPA\n"
      "S: -ERR\n"
      "C: USER ann\n"
      "STALL\n");
  WhileWaitingFor("USER", [&] { Form().Window->PostClose(); }, 2);

  access::DoubleClickCell(*Form().StringGrid1, 1, 1);

  EXPECT_FALSE(Form().Memo1->Visible());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(testsupport::PumpUntil([&] { return !Form().Window->Visible(); }));
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_EQ(server_.CountReceived("QUIT"), 1) << "only the check signs off";
}

TEST_F(ViewerFault, ClosingWhileBodyWaitsForLogInEndsFetchThenCloses) {
  OpenHeaderOfOne();
  server_.AddConversation(
      "S: +OK ready\n"
      "C: CAPA\n"
      "S: -ERR\n"
      "C: USER ann\n"
      "STALL\n");
  WhileWaitingFor("USER", [&] { Form().Window->PostClose(); }, 3);

  access::DoubleClick(*Form().Memo1);

  EXPECT_EQ(Form().Memo1->Text(), kHeaderText);
  EXPECT_EQ(Form().CommandDepth, 0);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(testsupport::PumpUntil([&] { return !Form().Window->Visible(); }));
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_EQ(server_.CountReceived("QUIT"), 2) << "only the check and the header view sign off";
}

}  // namespace

}  // namespace apptest
