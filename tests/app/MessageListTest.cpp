#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/gui/Application.h"
#include "platform/testing/TestAccess.h"
#include "tests/support/Wait.h"
#include "tests/app/FormTest.h"
#include "tests/support/ScriptedPop3Server.h"

namespace apptest {

namespace {

namespace access = platform::test_access;
using ::testing::ElementsAre;
using testsupport::ScriptedPop3Server;

constexpr char kEscape = 27;

class MessageList : public FormTest {
 protected:
  // Rows for messages 1..count as a listing of sizes 100, 200, ... leaves
  // them: the highest number on top.
  void ListMessages(int count) {
    Form().ClearMessageList();
    Form().ListTotal = count;
    for (int msg = 1; msg <= count; ++msg) Form().Mailbox().List().AddListed(msg, msg * 100);
  }

  std::vector<bool> Ticks() {
    std::vector<bool> ticks;
    for (int row = 0; row < Form().StringGrid1->RowCount(); ++row)
      ticks.push_back(Form().StringGrid1->CheckBoxState(0, row));
    return ticks;
  }

  std::string ScriptedServerText() const {
    return std::string(ScriptedPop3Server::Host()) + ":" + std::to_string(server_.Port());
  }

  ScriptedPop3Server server_;
};

TEST_F(MessageList, ClickOrSpaceTogglesTickBoxExactlyOnce) {
  ListMessages(3);
  platform::MessageGrid& grid = *Form().StringGrid1;

  access::ClickCell(grid, 1, 0);
  EXPECT_THAT(Ticks(), ElementsAre(false, true, false));
  access::ClickCell(grid, 1, 0);
  EXPECT_THAT(Ticks(), ElementsAre(false, false, false));

  access::SelectCell(grid, 2, 0);
  access::KeyPress(grid, ' ');
  EXPECT_THAT(Ticks(), ElementsAre(false, false, true));
  access::KeyPress(grid, ' ');
  EXPECT_THAT(Ticks(), ElementsAre(false, false, false));
}

// The space bar on a text cell ticks the row's box, so that the keyboard
// need not step to the narrow tick column first.
TEST_F(MessageList, TextCellsTakeNoEditsAndSpaceTicksTheirRow) {
  ListMessages(2);
  platform::MessageGrid& grid = *Form().StringGrid1;
  grid.SetCell(1, 0, "Sender 2");

  for (int col = 1; col <= 4; ++col) {
    access::ClickCell(grid, 0, col);
    access::KeyPress(grid, 'x');
  }
  EXPECT_THAT(Ticks(), ElementsAre(false, false));
  EXPECT_THAT(Column(1), ElementsAre("Sender 2", ""));
  EXPECT_THAT(Column(4), ElementsAre("200", "100"));
  EXPECT_THAT(Column(5), ElementsAre("2", "1"));

  access::KeyPress(grid, ' ');
  EXPECT_THAT(Ticks(), ElementsAre(true, false));
}

TEST_F(MessageList, EscapeEmptiesListAndKeepsHintAndTotal) {
  ListMessages(3);
  Form().CheckButton->SetHint("3");
  access::ClickCell(*Form().StringGrid1, 0, 0);

  access::KeyPress(*Form().StringGrid1, kEscape);

  EXPECT_EQ(Form().StringGrid1->RowCount(), 1);
  EXPECT_FALSE(Form().StringGrid1->HasCheckBox(0, 0));
  EXPECT_THAT(Column(5), ElementsAre(""));
  EXPECT_EQ(Form().CheckButton->Hint(), "3");
  EXPECT_EQ(Form().ListTotal, 3);

  access::Click(*Form().Label8);
  EXPECT_FALSE(Form().StringGrid1->HasCheckBox(0, 0));
  EXPECT_EQ(Form().StringGrid1->RowCount(), 1);
}

TEST_F(MessageList, FocusOnListHidesRuleEdits) {
  Form().Edit2->Show();
  Form().Edit2->SetFocus();
  ASSERT_TRUE(testsupport::PumpUntil([&] { return Form().Edit2->Focused(); }));

  Form().StringGrid1->SetFocus();

  ASSERT_TRUE(testsupport::PumpUntil([&] { return Form().StringGrid1->Focused(); }));
  EXPECT_FALSE(Form().Edit1->Visible());
  EXPECT_FALSE(Form().Edit2->Visible());
  EXPECT_FALSE(Form().Edit3->Visible());
}

TEST_F(MessageList, AnalyseLabelTicksAllThenUnticksAll) {
  ListMessages(3);
  access::ClickCell(*Form().StringGrid1, 1, 0);

  access::Click(*Form().Label8);
  EXPECT_TRUE(Form().SelectAllState);
  EXPECT_THAT(Ticks(), ElementsAre(true, true, true));

  access::Click(*Form().Label8);
  EXPECT_FALSE(Form().SelectAllState);
  EXPECT_THAT(Ticks(), ElementsAre(false, false, false));
}

TEST_F(MessageList, AnalyseLabelReachesOnlyRowsUpToListTotal) {
  ListMessages(3);
  Form().ListTotal = 1;

  access::Click(*Form().Label8);

  EXPECT_THAT(Ticks(), ElementsAre(true, true, false));
}

TEST_F(MessageList, DateLabelEndsAlertAndClosesOpenViewer) {
  ListMessages(2);
  app::TForm1& f = Form();
  f.SetApplicationTitle(app::kAlertApplicationTitle);
  f.MailAlerted = true;
  f.CheckButton->SetHint("2");
  f.Edit1->Show();
  // The viewer as a header view leaves it: list hidden, timer stopped.
  f.Timer1->SetEnabled(false);
  f.ViewerFetch = true;
  f.StringGrid1->Hide();
  f.Memo1->Show();
  f.Label5->SetText("Header - ESC to close");
  f.Label5->Show();

  access::Click(*f.Label3);

  EXPECT_EQ(platform::Application::Title(), app::kApplicationTitle);
  EXPECT_FALSE(f.MailAlerted);
  EXPECT_EQ(f.CheckButton->Hint(), "");
  EXPECT_FALSE(f.Edit1->Visible());
  EXPECT_FALSE(f.ViewerFetch);
  EXPECT_FALSE(f.Memo1->Visible());
  EXPECT_FALSE(f.Label5->Visible());
  EXPECT_TRUE(f.StringGrid1->Visible());
  EXPECT_TRUE(f.Timer1->Enabled());
  EXPECT_THAT(Column(5), ElementsAre(""));
  EXPECT_EQ(f.ListTotal, 2);
}

TEST_F(MessageList, RightClickOnEmptyRowAsksNothing) {
  access::RightClickCell(*Form().StringGrid1, 0, 1);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(MessageList, RightClickAnsweredNoConnectsNowhere) {
  EnterAccount(ScriptedServerText(), "ann", "secret");
  ListMessages(2);
  platform::dialog_script::SetNextAnswer(platform::BoxAnswer::No);

  access::RightClickCell(*Form().StringGrid1, 1, 3);

  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].Kind, BoxKind::Question);
  EXPECT_EQ(Boxes()[0].Text, "Analyse This Item ?");
  EXPECT_EQ(server_.ConnectionsServed(), 0);
  EXPECT_TRUE(WindowRestored());
}

TEST_F(MessageList, RightClickDuringAutoCheckDoesNothing) {
  EnterAccount(ScriptedServerText(), "ann", "secret");
  ListMessages(2);
  Form().AutoCheckBusy = true;
  platform::dialog_script::SetNextAnswer(platform::BoxAnswer::Yes);

  access::RightClickCell(*Form().StringGrid1, 0, 1);

  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(server_.ConnectionsServed(), 0);
}

TEST_F(MessageList, RightClickWithRefusedLogInSaysSo) {
  server_.AddConversation(
      "S: +OK ready\n"
      "C: CAPA\n"
      "S: -ERR\n"
      "C: USER ann\n"
      "S: +OK\n"
      "C: PASS wrong\n"
      "S: -ERR no\n"
      "C: QUIT\n"
      "S: +OK bye\n");
  EnterAccount(ScriptedServerText(), "ann", "wrong");
  ListMessages(1);
  platform::dialog_script::SetNextAnswer(platform::BoxAnswer::Yes);

  access::RightClickCell(*Form().StringGrid1, 0, 1);

  EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre("User Name / Password INVALID !"));
  EXPECT_TRUE(WindowRestored());
}

// A real server round: a check without "Analyse", then one row analysed
// on demand, then the "Analyse" label around a new check.
class MessageListOnServer : public DovecotFormTest {};

TEST_F(MessageListOnServer, RightClickFillsRowFromServer) {
  for (int n = 1; n <= 3; ++n) AddNumberedMessage(n);
  EnterMailboxAccount();
  access::Click(*Form().CheckBox5);
  ClickCheck();
  ASSERT_THAT(Column(1), ElementsAre("", "", ""));
  platform::dialog_script::SetNextAnswer(platform::BoxAnswer::Yes);

  access::RightClickCell(*Form().StringGrid1, 2, 2);

  EXPECT_THAT(Column(1), ElementsAre("", "", "Sender 1"));
  EXPECT_TRUE(WindowRestored());
}

TEST_F(MessageListOnServer, SelectAllStateSurvivesNewCheck) {
  for (int n = 1; n <= 2; ++n) AddNumberedMessage(n);
  EnterMailboxAccount();
  ClickCheck();
  auto ticks = [&] {
    return std::vector<bool>{Form().StringGrid1->CheckBoxState(0, 0), Form().StringGrid1->CheckBoxState(0, 1)};
  };

  access::Click(*Form().Label8);
  EXPECT_THAT(ticks(), ElementsAre(true, true));

  ClickCheck();
  EXPECT_THAT(ticks(), ElementsAre(false, false));
  access::Click(*Form().Label8);
  EXPECT_THAT(ticks(), ElementsAre(false, false)) << "the second click unticks, as after the first check";
  access::Click(*Form().Label8);
  EXPECT_THAT(ticks(), ElementsAre(true, true));
}

}  // namespace

}  // namespace apptest
