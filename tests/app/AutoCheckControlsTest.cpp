#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/ProgramEntry.h"
#include "platform/gui/Application.h"
#include "platform/testing/TestAccess.h"
#include "tests/support/Wait.h"
#include "tests/app/FormTest.h"
#include "tests/app/SettingsTestSupport.h"

namespace apptest {

namespace {

namespace access = platform::test_access;
using ::testing::Contains;

class AutoCheckControls : public FormTest {};

// A server that cannot be reached is the network's failure: the watch goes
// on, and the hints say so instead of a box.
TEST_F(AutoCheckControls, UnreachableServerKeepsAutoCheckAndSaysSoInTheHints) {
  // Nothing listens on port 1 of the loopback address.
  EnterAccount("127.0.0.1:1", "ann", "secret");
  Form().CheckBox2->SetChecked(true);

  Form().Timer1Timer();

  EXPECT_TRUE(Form().CheckBox2->Checked());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_THAT(Form().CheckBox2->Hint(), ::testing::HasSubstr("failed: connection refused. Next "));
  EXPECT_THAT(Form().TrayIcon1->Hint(), ::testing::HasSubstr("failed: connection refused. Next "));
  EXPECT_TRUE(WindowRestored());
  EXPECT_FALSE(Form().AutoCheckBusy);
  EXPECT_FALSE(Form().MailAlerted);
}

TEST_F(AutoCheckControls, UntickedAutoCheckOnlyResetsTitleAndHidesRules) {
  EnterAccount("127.0.0.1:1", "ann", "secret");
  Form().Edit2->Show();
  Form().SetApplicationTitle(app::kAlertApplicationTitle);

  Form().Timer1Timer();

  EXPECT_FALSE(Form().Edit2->Visible());
  EXPECT_EQ(platform::Application::Title(), app::kApplicationTitle);
  EXPECT_EQ(Form().Label5->Text(), "") << "no check was started";
}

TEST_F(AutoCheckControls, TimerTicksRunTheAutoCheck) {
  EnterAccount("127.0.0.1:1", "ann", "secret");
  Form().CheckBox2->SetChecked(true);
  Form().Timer1->SetInterval(1);

  EXPECT_TRUE(testsupport::PumpUntil([&] { return Form().CheckBox2->Hint().find("failed") != std::string::npos; }));
  EXPECT_TRUE(Form().CheckBox2->Checked());
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(AutoCheckControls, IntervalLabelStepsByFiveAndIsStoredAtOnce) {
  WriteSettingsText("[AUTOCHECK]\r\nInterval=60\r\n");
  app::StartMainWindow(Form());
  ASSERT_EQ(Form().IntervalMinutes, 60);

  access::Click(*Form().Label7);

  EXPECT_EQ(Form().IntervalMinutes, 5);
  EXPECT_THAT(SettingsLines(), Contains("Interval=5"));
  EXPECT_EQ(Form().Timer1->Interval(), 5u * 60000u);
  EXPECT_TRUE(Form().Timer1->Running());
  EXPECT_EQ(Form().CheckBox2->Hint(), "Auto-Check Every 5 Minute(s)");

  access::Click(*Form().Label7);
  EXPECT_EQ(Form().IntervalMinutes, 10);
  EXPECT_THAT(SettingsLines(), Contains("Interval=10"));

  access::DoubleClick(*Form().Label7);
  EXPECT_EQ(Form().IntervalMinutes, 30);
  EXPECT_THAT(SettingsLines(), Contains("Interval=30"));
  EXPECT_EQ(Form().Timer1->Interval(), 30u * 60000u);
  EXPECT_EQ(Form().CheckBox2->Hint(), "Auto-Check Every 30 Minute(s)");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(AutoCheckControls, IntervalWrapsPastSixtyToFive) {
  Form().IntervalMinutes = 58;
  Form().Label7Click();
  EXPECT_EQ(Form().IntervalMinutes, 5);
  EXPECT_THAT(SettingsLines(), Contains("Interval=5")) << "the data folder is made when missing";
}

TEST_F(AutoCheckControls, IntervalLabelIgnoredDuringAutoCheck) {
  Form().IntervalMinutes = 30;
  Form().AutoCheckBusy = true;

  access::Click(*Form().Label7);
  access::DoubleClick(*Form().Label7);

  EXPECT_EQ(Form().IntervalMinutes, 30);
  EXPECT_EQ(Form().Timer1->Interval(), app::kDesignTimerIntervalMs);
  EXPECT_TRUE(SettingsLines().empty());
  Form().AutoCheckBusy = false;
}

TEST_F(AutoCheckControls, IntervalChangeKeepsAStoppedTimerStopped) {
  Form().IntervalMinutes = 30;
  Form().Timer1->SetEnabled(false);

  Form().Label7Click();

  EXPECT_EQ(Form().Timer1->Interval(), 35u * 60000u);
  EXPECT_FALSE(Form().Timer1->Enabled()) << "the command that stopped it restarts it";
}

TEST_F(AutoCheckControls, RuleLabelsShowTheirEditsAndColourBySetRule) {
  access::Click(*Form().Label1);
  ASSERT_TRUE(Form().Edit1->Visible());
  access::Click(*Form().Label1);
  EXPECT_FALSE(Form().Edit1->Visible());

  access::Click(*Form().Label2);
  access::Click(*Form().Label4);
  access::Click(*Form().Label1);
  Form().Edit1->SetFocus();
  ASSERT_TRUE(testsupport::PumpUntil([&] { return Form().Edit1->Focused(); }));
  EXPECT_FALSE(Form().Edit2->Visible());
  EXPECT_FALSE(Form().Edit3->Visible());
  access::TypeText(*Form().Edit1, "bob");

  Form().UserEdit->SetFocus();
  ASSERT_TRUE(testsupport::PumpUntil([&] { return !Form().Edit1->Visible(); }));
  EXPECT_EQ(Form().Label1->TextColor(), platform::kColorRed);
  EXPECT_EQ(Form().Label2->TextColor(), platform::kColorBlack);

  access::Click(*Form().Label1);
  Form().Edit1->SetFocus();
  ASSERT_TRUE(testsupport::PumpUntil([&] { return Form().Edit1->Focused(); }));
  access::TypeText(*Form().Edit1, "");
  Form().IPedit->SetFocus();
  ASSERT_TRUE(testsupport::PumpUntil([&] { return !Form().Edit1->Visible(); }));
  EXPECT_EQ(Form().Label1->TextColor(), platform::kColorBlack);
}

TEST_F(AutoCheckControls, FocusLeavingAutoCheckBoxAcknowledgesAlert) {
  Form().CheckBox2->SetFocus();
  ASSERT_TRUE(testsupport::PumpUntil([&] { return Form().CheckBox2->Focused(); }));
  Form().MailAlerted = true;

  Form().UserEdit->SetFocus();

  EXPECT_TRUE(testsupport::PumpUntil([&] { return !Form().MailAlerted; }));
}

}  // namespace

}  // namespace apptest
