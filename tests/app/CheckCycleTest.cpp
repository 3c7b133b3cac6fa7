#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/core/DataFolder.h"
#include "platform/gui/Application.h"
#include "platform/testing/TestAccess.h"
#include "tests/app/FormTest.h"
#include "tests/app/SettingsTestSupport.h"
#include "tests/support/NonRegularEntry.h"

namespace apptest {

namespace {

namespace access = platform::test_access;
using ::testing::ElementsAre;

class CheckCycle : public DovecotFormTest {};

// The window draws the rows a check listed (the mailbox's own tests check
// which rows and what they show), gives back its controls, and shows on the
// check button's hint how many messages the check went through: with and
// without "Analyse", and under a listing limit.
TEST_F(CheckCycle, DrawsTheListedRowsAndHintsTheTotal) {
  struct CheckRow {
    int Messages;
    bool Analyse;
    int FetchLimit;
    std::vector<std::string> Numbers;
    const char* TopSender;
    const char* Hint;
    const char* Status;  // the last progress shown, or nullptr when none is
  };
  const CheckRow rows[] = {
      {3, true, 0, {"3", "2", "1"}, "Sender 3", "3", "3 / 3"},
      {4, false, 0, {"4", "3", "2", "1"}, "", "4", nullptr},
      {5, true, 2, {"2", "1"}, "Sender 2", "1", "2 / 1"},
  };
  EnterMailboxAccount();
  for (const CheckRow& row : rows) {
    SCOPED_TRACE(row.Messages);
    Mail().Reset();
    for (int n = 1; n <= row.Messages; ++n) AddNumberedMessage(n);
    if (Form().CheckBox5->Checked() != row.Analyse) access::Click(*Form().CheckBox5);
    Form().FetchLimit = row.FetchLimit;
    Form().SetApplicationTitle(app::kAlertApplicationTitle);

    ClickCheck();

    EXPECT_EQ(Column(5), row.Numbers);
    EXPECT_EQ(Column(1)[0], row.TopSender);
    for (int r = 0; r < Form().StringGrid1->RowCount(); ++r) {
      EXPECT_TRUE(Form().StringGrid1->HasCheckBox(0, r)) << r;
      EXPECT_FALSE(Form().StringGrid1->CheckBoxState(0, r)) << r;
    }
    if (row.Status) {
      EXPECT_EQ(Form().Label5->Text(), row.Status);
    }
    EXPECT_EQ(Form().CheckButton->Hint(), row.Hint);
    EXPECT_EQ(platform::Application::Title(), app::kApplicationTitle);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(WindowRestored());
  }
}

// Any key stops the summary walk of a manual check after the current row.
TEST_F(CheckCycle, KeyPressEndsSummaryLoopAfterCurrentRow) {
  for (int n = 1; n <= 3; ++n) AddNumberedMessage(n);
  EnterMailboxAccount();
  // The key arrives while the first summary is being fetched.
  int summariesStarted = 0;
  Form().Mailbox().Client().OnRetrieveStart = [&](platform::TComponent*) {
    if (++summariesStarted == 1) access::KeyPress(*Form().Window, 'x');
  };

  ClickCheck();

  EXPECT_EQ(summariesStarted, 1);
  EXPECT_TRUE(WindowRestored());
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
  WriteWaveFile();
  Form().WavePlayer1->SetFileName(platform::WaveFilePath());

  ClickCheck();
  EXPECT_EQ(access::PlayCount(*Form().WavePlayer1), 0) << "\"Sound\" is not ticked";

  access::Click(*Form().CheckBox3);
  ClickCheck();
  EXPECT_EQ(access::PlayCount(*Form().WavePlayer1), 1);

  // A named pipe put in the wave file's place is never handed to the sound
  // system, which would wait on it for ever.
  std::filesystem::remove(platform::WaveFilePath());
  testsupport::NonRegularEntry pipe(testsupport::NonRegularEntry::Kind::Fifo, platform::WaveFilePath());
  ClickCheck();
  EXPECT_EQ(access::PlayCount(*Form().WavePlayer1), 1);
}

}  // namespace

}  // namespace apptest
