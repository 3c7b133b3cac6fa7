#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/gui/Application.h"
#include "platform/testing/TestAccess.h"
#include "tests/app/FormTest.h"

namespace apptest {

namespace {

namespace access = platform::test_access;
using ::testing::ElementsAre;

class CheckCycle : public DovecotFormTest {};

TEST_F(CheckCycle, ListsNewestFirstAndFillsSummaries) {
  for (int n = 1; n <= 3; ++n) AddNumberedMessage(n);
  EnterMailboxAccount();
  ASSERT_TRUE(Form().CheckBox5->Checked());
  Form().SetApplicationTitle(app::kAlertApplicationTitle);

  ClickCheck();

  EXPECT_THAT(Column(5), ElementsAre("3", "2", "1"));
  EXPECT_THAT(Column(1), ElementsAre("Sender 3", "Sender 2", "Sender 1"));
  EXPECT_THAT(Column(2), ElementsAre("Subject 3", "Subject 2", "Subject 1"));
  EXPECT_THAT(Column(3), ElementsAre("Date 3", "Date 2", "Date 1"));
  for (int row = 0; row < 3; ++row) {
    EXPECT_TRUE(Form().StringGrid1->HasCheckBox(0, row));
    EXPECT_FALSE(Form().StringGrid1->CheckBoxState(0, row));
  }
  EXPECT_EQ(Form().Label5->Text(), "3 / 3");
  EXPECT_EQ(Form().CheckButton->Hint(), "3");
  EXPECT_EQ(platform::Application::Title(), app::kApplicationTitle);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(WindowRestored());
  EXPECT_FALSE(Form().POP3->IsConnected());
}

TEST_F(CheckCycle, WithoutAnalyseListsSizesOnly) {
  std::vector<std::string> sizes;
  for (int n = 1; n <= 3; ++n) sizes.insert(sizes.begin(), std::to_string(AddNumberedMessage(n)));
  sizes.insert(sizes.begin(),
               std::to_string(Mail().AddMessage(Message({"From: Long", "Subject: " + std::string(300, 'x')}))));
  EnterMailboxAccount();
  access::Click(*Form().CheckBox5);
  ASSERT_FALSE(Form().CheckBox5->Checked());

  ClickCheck();

  EXPECT_THAT(Column(5), ElementsAre("4", "3", "2", "1"));
  EXPECT_EQ(Column(4), sizes);
  for (int col = 1; col <= 3; ++col) EXPECT_THAT(Column(col), ElementsAre("", "", "", "")) << "column " << col;
  EXPECT_EQ(Form().CheckButton->Hint(), "4");
  EXPECT_TRUE(WindowRestored());
}

TEST_F(CheckCycle, ListingLimitKeepsFirstListedMessages) {
  for (int n = 1; n <= 5; ++n) AddNumberedMessage(n);
  EnterMailboxAccount();
  Form().FetchLimit = 2;

  ClickCheck();

  EXPECT_THAT(Column(5), ElementsAre("2", "1"));
  EXPECT_THAT(Column(1), ElementsAre("Sender 2", "Sender 1"));
  EXPECT_EQ(Form().ListTotal, 1);
  EXPECT_EQ(Form().Label5->Text(), "2 / 1");
  EXPECT_EQ(Form().CheckButton->Hint(), "1");
}

TEST_F(CheckCycle, KeyPressEndsSummaryLoopAfterCurrentRow) {
  for (int n = 1; n <= 3; ++n) AddNumberedMessage(n);
  EnterMailboxAccount();
  // The key arrives while the first summary is being fetched.
  int summariesStarted = 0;
  Form().POP3->OnRetrieveStart = [&](platform::TComponent*) {
    if (++summariesStarted == 1) access::KeyPress(*Form().Window, 'x');
  };

  ClickCheck();

  EXPECT_EQ(summariesStarted, 1);
  EXPECT_THAT(Column(1), ElementsAre("Sender 3", "", ""));
  EXPECT_EQ(Form().Label5->Text(), "1 / 3");
  EXPECT_FALSE(Form().POP3->IsConnected());
  EXPECT_TRUE(WindowRestored());
}

TEST_F(CheckCycle, DateTakenFromFirstOccurrenceEvenInsideAnotherName) {
  Mail().AddMessage(Message({"Delivery-Date: Tue, 2 Jan 2024 08:00:00 +0000", "From:Ann",
                             "Subject: Mixed", "Date: Wed, 3 Jan 2024 09:00:00 +0000"}));
  Mail().AddMessage(Message({"from: lower case only", "SUBJECT: Upper label", "DATE: Thu"}));
  EnterMailboxAccount();

  ClickCheck();

  EXPECT_THAT(Column(3), ElementsAre("Thu", "Tue, 2 Jan 2024 08:00:00 +0000"));
  EXPECT_THAT(Column(1), ElementsAre("", "nn"));
  EXPECT_THAT(Column(2), ElementsAre("Upper label", "Mixed"));
}

TEST_F(CheckCycle, EmptyMailboxAfterFullOneKeepsOldHint) {
  for (int n = 1; n <= 4; ++n) AddNumberedMessage(n);
  EnterMailboxAccount();
  ClickCheck();
  ASSERT_EQ(Form().CheckButton->Hint(), "4");
  Mail().Reset();

  ClickCheck();

  EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre("You Have No Mail !"));
  EXPECT_EQ(Form().StringGrid1->RowCount(), 1);
  EXPECT_THAT(Column(5), ElementsAre(""));
  EXPECT_FALSE(Form().StringGrid1->HasCheckBox(0, 0));
  EXPECT_EQ(Form().CheckButton->Hint(), "4");
  EXPECT_TRUE(WindowRestored());
}

TEST_F(CheckCycle, ServerGivenByHostNameAndPort) {
  AddNumberedMessage(1);
  EnterMailboxAccount();
  std::string text = ServerText();
  access::TypeText(*Form().IPedit, "localhost" + text.substr(text.rfind(':')));

  ClickCheck();

  EXPECT_THAT(Column(1), ElementsAre("Sender 1"));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(CheckCycle, WrongPasswordShowsOneBoxAndStopsAutoCheck) {
  AddNumberedMessage(1);
  EnterMailboxAccount();
  access::TypeText(*Form().PasswordEdit, "not-the-password");
  access::Click(*Form().CheckBox2);
  ASSERT_TRUE(Form().CheckBox2->Checked());

  ClickCheck();

  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].Kind, BoxKind::Information);
  EXPECT_EQ(Boxes()[0].Text, "User Name / Password INVALID !");
  EXPECT_EQ(Boxes()[0].Caption, app::kApplicationTitle);
  EXPECT_FALSE(Form().CheckBox2->Checked());
  EXPECT_THAT(Column(5), ElementsAre(""));
  EXPECT_TRUE(WindowRestored());
}

TEST_F(CheckCycle, SoundPlaysOncePerCheckWhenEnabled) {
  AddNumberedMessage(1);
  EnterMailboxAccount();
  Form().SoundAvailable = true;
  Form().WavePlayer1->SetFileName(Form().SaveDialog1.InitialDir + "/gotmail.wav");

  ClickCheck();
  EXPECT_EQ(Form().WavePlayer1->PlayCount(), 0) << "\"Sound\" is not ticked";

  access::Click(*Form().CheckBox3);
  ClickCheck();
  EXPECT_EQ(Form().WavePlayer1->PlayCount(), 1);
}

}  // namespace

}  // namespace apptest
