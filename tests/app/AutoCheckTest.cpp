#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <chrono>
#include <cstdlib>

#include "app/PasswordScrambler.h"
#include "app/ProgramEntry.h"
#include "platform/gui/Application.h"
#include "platform/core/DataFolder.h"
#include "platform/testing/TestAccess.h"
#include "tests/support/ManualClock.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/Wait.h"
#include "tests/app/FormTest.h"
#include "tests/app/SettingsTestSupport.h"

namespace apptest {

namespace {

namespace access = platform::test_access;
using ::testing::ElementsAre;

// An auto-check against the test Dovecot: the user's wave file is present,
// so start-up makes the sound available and ticks "Sound"; "Auto-Check" is
// ticked. Ticks are delivered by calling the timer's handler.
class AutoCheck : public DovecotFormTest {
 protected:
  void SetUp() override {
    DovecotFormTest::SetUp();
    if (IsSkipped()) return;
    WriteWaveFile();
    app::StartMainWindow(Form());
    ASSERT_TRUE(Form().SoundAvailable);
    ASSERT_TRUE(Form().CheckBox3->Checked());
    EnterMailboxAccount();
    Form().CheckBox2->SetChecked(true);
  }

  void Tick() { Form().Timer1Timer(); }
  int Sounds() { return access::PlayCount(*Form().WavePlayer1); }
  void Acknowledge() { Form().CheckBox2Exit(); }

  // One auto-check of a mailbox holding exactly these messages, with the
  // given rules; whether it raised an alert.
  bool AlertsFor(const std::vector<std::vector<std::string>>& messages, const std::string& from,
                 const std::string& subject, const std::string& size) {
    Mail().Reset();
    for (const auto& headerLines : messages) Mail().AddMessage(Message(headerLines));
    Form().Edit1->SetText(from);
    Form().Edit2->SetText(subject);
    Form().Edit3->SetText(size);
    Acknowledge();
    Tick();
    return Form().MailAlerted;
  }
};

TEST_F(AutoCheck, FromAndSubjectTermsMatchWithoutRegardToCase) {
  // The rules need the summaries whatever "Analyse" says.
  access::Click(*Form().CheckBox5);
  ASSERT_FALSE(Form().CheckBox5->Checked());

  EXPECT_TRUE(AlertsFor({{"From: Alice Smith", "Subject: Hi"}}, "bob;alice", "", ""));
  EXPECT_FALSE(AlertsFor({{"From: Carl", "Subject: Alice"}}, "bob;alice", "", ""));
  // a;b;c;d: the third term is c;d.
  EXPECT_FALSE(AlertsFor({{"From: Xy", "Subject: CD"}}, "", "a;b;c;d", ""));
  EXPECT_TRUE(AlertsFor({{"From: Xy", "Subject: x C;D y"}}, "", "a;b;c;d", ""));
  // ;x: the empty first term matches nothing, x is still tested.
  EXPECT_FALSE(AlertsFor({{"From: Bob", "Subject: Hi"}}, ";x", "", ""));
  EXPECT_TRUE(AlertsFor({{"From: Xavier", "Subject: Hi"}}, ";x", "", ""));
  // Rules match the decoded text the list shows, letters beyond ASCII
  // without regard to case too.
  const std::vector<std::string> joerg = {"From: =?utf-8?q?J=C3=B6rg_M=C3=BCller?= <j@example.de>",
                                          "Subject: =?iso-8859-1?q?Gr=FC=DFe?="};
  EXPECT_TRUE(AlertsFor({joerg}, "m\xC3\xBCller", "", ""));
  EXPECT_TRUE(AlertsFor({joerg}, "M\xC3\x9CLLER", "", ""));
  EXPECT_TRUE(AlertsFor({joerg}, "x;J\xC3\x96RG", "", ""));
  EXPECT_TRUE(AlertsFor({joerg}, "", "GR\xC3\x9C\xC3\x9F" "E", ""));
  EXPECT_FALSE(AlertsFor({joerg}, "C3=BC", "", "")) << "the encoded form is not what is shown";
  EXPECT_FALSE(AlertsFor({joerg}, "mueller", "", ""));
  EXPECT_TRUE(AlertsFor({{"From: =?koi8-r?b?8NLJ18XU?= <p@example.ru>"}}, "\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92", "", ""));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(AutoCheck, SeveralMatchesPlayTheSoundOnce) {
  EXPECT_TRUE(AlertsFor({{"From: Alice"}, {"From: Bob"}, {"From: Bob Alice"}}, "bob;alice", "", ""));
  EXPECT_EQ(Sounds(), 1);
  EXPECT_EQ(platform::Application::Title(), app::kAlertApplicationTitle);
  // Where the desktop shows the window's title only, the alert is seen there.
  EXPECT_THAT(access::ShownTitle(*Form().Window), ::testing::EndsWith(app::kAlertApplicationTitle));
  EXPECT_THAT(Column(1), ElementsAre("Bob Alice", "Bob", "Alice"));

  // The next tick takes the alert word out of the title again.
  Tick();
  EXPECT_EQ(platform::Application::Title(), app::kApplicationTitle);
  EXPECT_THAT(access::ShownTitle(*Form().Window), ::testing::Not(::testing::HasSubstr("MAIL")));
}

TEST_F(AutoCheck, SizeRuleMatchesFromItsLimitUp) {
  std::vector<std::string> message = {"From: Ann", "Subject: Report"};
  std::int64_t size = Mail().AddMessage(Message(message));
  std::string atLimit = std::to_string(size);
  std::string aboveSize = std::to_string(size + 1);

  EXPECT_TRUE(AlertsFor({message}, "", "", atLimit));
  EXPECT_FALSE(AlertsFor({message}, "", "", aboveSize));
  // A Size text that is no number sets no rule, yet stops the alert for
  // "no rule".
  EXPECT_FALSE(AlertsFor({message}, "", "", "big"));
  EXPECT_TRUE(AlertsFor({message}, "", "", "0")) << "no rule at all: any mail alerts";
}

TEST_F(AutoCheck, NoRuleAlertWaitsForAcknowledgement) {
  AddNumberedMessage(1);
  AddNumberedMessage(2);

  Tick();
  EXPECT_TRUE(Form().MailAlerted);
  EXPECT_EQ(Sounds(), 1);
  EXPECT_EQ(platform::Application::Title(), app::kAlertApplicationTitle);

  // Alerted: ticks check no more.
  Form().ClearMessageList();
  Tick();
  EXPECT_EQ(Sounds(), 1);
  EXPECT_EQ(Form().StringGrid1->Cell(5, 0), "") << "no listing without acknowledgement";
  EXPECT_EQ(platform::Application::Title(), app::kApplicationTitle);

  // Moving the focus onto the "Auto-Check" tick box acknowledges.
  Form().CheckBox2->SetFocus();
  ASSERT_TRUE(testsupport::PumpUntil([&] { return !Form().MailAlerted; }));
  Tick();
  EXPECT_TRUE(Form().MailAlerted);
  EXPECT_EQ(Sounds(), 2);

  // Continuous checking alerts on every tick.
  Form().CheckBox4->SetChecked(true);
  Tick();
  Tick();
  EXPECT_EQ(Sounds(), 4);
  EXPECT_THAT(Column(5), ElementsAre("2", "1"));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(WindowRestored());
  EXPECT_FALSE(Form().AutoCheckBusy);
}

TEST_F(AutoCheck, EmptyMailboxRaisesNoAlert) {
  Tick();

  EXPECT_FALSE(Form().MailAlerted);
  EXPECT_EQ(Sounds(), 0);
  EXPECT_TRUE(Boxes().empty()) << "an automatic check shows no \"no mail\" box";
  EXPECT_TRUE(Form().CheckBox2->Checked());
  EXPECT_EQ(Form().StringGrid1->RowCount(), 1);
}

TEST_F(AutoCheck, TrayIconAnimatesOnlyWhileInTheTray) {
  if (!DesktopHasTray()) GTEST_SKIP() << kNeedsTray;
  AddNumberedMessage(1);
  Form().CheckBox4->SetChecked(true);

  Tick();
  EXPECT_TRUE(Form().MailAlerted);
  EXPECT_FALSE(Form().TrayIcon1->Animating());

  access::Minimize(*Form().Window);
  ASSERT_TRUE(testsupport::PumpUntil([&] { return Form().InTray; }));
  Tick();
  EXPECT_TRUE(Form().TrayIcon1->Animating());

  Form().Restore1Click();
  EXPECT_FALSE(Form().TrayIcon1->Animating());
}

TEST_F(AutoCheck, AlertWithSoundOffLeavesTitle) {
  AddNumberedMessage(1);
  access::Click(*Form().CheckBox3);
  ASSERT_FALSE(Form().CheckBox3->Checked());

  Tick();

  EXPECT_TRUE(Form().MailAlerted);
  EXPECT_EQ(Sounds(), 0);
  EXPECT_EQ(platform::Application::Title(), app::kApplicationTitle);
}

TEST_F(AutoCheck, TickDuringCheckOnlyResetsTitleAndHidesRules) {
  AddNumberedMessage(1);
  AddNumberedMessage(2);
  int nestedTicks = 0;
  Form().Mailbox().Client().OnRetrieveStart = [&](platform::TComponent*) {
    ++nestedTicks;
    Form().Edit1->Show();
    Form().SetApplicationTitle(app::kAlertApplicationTitle);
    Tick();
    EXPECT_FALSE(Form().Edit1->Visible());
    EXPECT_EQ(platform::Application::Title(), app::kApplicationTitle);
    EXPECT_TRUE(Form().AutoCheckBusy);
  };

  Tick();

  EXPECT_EQ(nestedTicks, 2) << "each summary fetched once, by the outer check";
  EXPECT_THAT(Column(1), ElementsAre("Sender 2", "Sender 1"));
  EXPECT_FALSE(Form().AutoCheckBusy);
  EXPECT_TRUE(Form().MailAlerted);
}

TEST_F(AutoCheck, TickDuringManualCheckLeavesItsSessionAlone) {
  AddNumberedMessage(1);
  AddNumberedMessage(2);
  Form().Mailbox().Client().OnRetrieveStart = [&](platform::TComponent*) { Tick(); };

  ClickCheck();

  EXPECT_THAT(Column(1), ElementsAre("Sender 2", "Sender 1"));
  EXPECT_FALSE(Form().MailAlerted) << "no automatic check ran inside the manual one";
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(WindowRestored());
}

TEST_F(AutoCheck, WrongPasswordUnticksAutoCheckAfterItsBox) {
  access::TypeText(*Form().PasswordEdit, "wrong");

  Tick();

  EXPECT_FALSE(Form().CheckBox2->Checked());
  EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre("User Name / Password INVALID !"));
  EXPECT_TRUE(WindowRestored());
  EXPECT_FALSE(Form().AutoCheckBusy);
}

// The server refuses connections for a while (restarting), then accepts:
// the watch goes on without a box, the hints tell the failure and the next
// try, a back-off lets ticks pass while it lasts, and the first check
// that gets through alerts and clears the hints.
TEST_F(AutoCheck, RefusedConnectionsKeepTheWatchUntilTheServerAcceptsAgain) {
  AddNumberedMessage(1);
  const std::string refusing = "127.0.0.1:" + std::to_string(testsupport::UnusedLoopbackPort());
  access::TypeText(*Form().IPedit, refusing);
  const std::string plainHint = Form().CheckBox2->Hint();
  const std::string plainTrayHint = Form().TrayIcon1->Hint();
  const std::string at1032 = platform::LocalHourMinute(testsupport::ManualClock::LocalToday(10, 32));

  Tick();
  EXPECT_TRUE(Form().CheckBox2->Checked());
  EXPECT_TRUE(Boxes().empty());
  const std::string note = "Last check " + at1032 + " failed: connection refused. Next " +
                           platform::LocalHourMinute(testsupport::ManualClock::LocalToday(11, 2)) + ".";
  EXPECT_EQ(Form().CheckBox2->Hint(), plainHint + "\n" + note);
  EXPECT_EQ(Form().TrayIcon1->Hint(), plainTrayHint + "\n" + note);
  EXPECT_TRUE(WindowRestored());

  // Refused again at the next tick: the one after lets the check pass,
  // whatever the wall clock is set to meanwhile.
  Clock().Advance(std::chrono::minutes(30));
  Tick();
  Clock().Advance(std::chrono::minutes(30));
  Clock().SetWallBy(std::chrono::hours(-2));
  Tick();
  EXPECT_THAT(Form().CheckBox2->Hint(),
              ::testing::HasSubstr("Last check " +
                                   platform::LocalHourMinute(testsupport::ManualClock::LocalToday(11, 2)) + " failed"))
      << "the back-off let this tick pass";

  Form().IPedit->SetText(ServerText());
  Clock().Advance(std::chrono::minutes(30));
  Tick();
  EXPECT_TRUE(Form().MailAlerted);
  EXPECT_EQ(Sounds(), 1);
  EXPECT_EQ(Form().CheckBox2->Hint(), plainHint);
  EXPECT_EQ(Form().TrayIcon1->Hint(), plainTrayHint);
  EXPECT_TRUE(Boxes().empty());
}

// Time since boot ran ahead of monotonic time: the machine slept, and one
// automatic check runs soon after, without waiting for the next tick.
TEST_F(AutoCheck, OneCheckRunsSoonAfterTheMachineSlept) {
  AddNumberedMessage(1);
  Form().CheckBox4->SetChecked(true);
  Clock().Sleep(std::chrono::hours(8));

  ASSERT_TRUE(testsupport::PumpUntil([&] { return Form().MailAlerted; }, 30000));
  EXPECT_EQ(Sounds(), 1);
  EXPECT_TRUE(WindowRestored());
}

// Sleep and network as the system bus tells them, from the scripted logind
// and NetworkManager of tests/support/system-session.sh.
class AutoCheckOnSystemBus : public AutoCheck {
 protected:
  void SetUp() override {
    if (std::getenv("POP3CHECK_TEST_SYSTEM_BUS") == nullptr)
      GTEST_SKIP() << "needs the private system bus of tests/support/system-session.sh";
    AutoCheck::SetUp();
  }

  static bool Ask(const char* service, const char* path, const char* method, const QVariantList& arguments = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromUtf8(service), QString::fromUtf8(path),
                                                       QStringLiteral("org.pop3check.TestSystem"),
                                                       QString::fromUtf8(method));
    call.setArguments(arguments);
    return QDBusConnection::systemBus().call(call, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
  }
  static bool Wake() { return Ask("org.freedesktop.login1", "/org/freedesktop/login1", "Wake"); }
  static bool NetworkState(unsigned state) {
    return Ask("org.freedesktop.NetworkManager", "/org/freedesktop/NetworkManager", "SetState", {state});
  }
};

// The clocks show no sleep here: only logind's signal tells of the wake.
TEST_F(AutoCheckOnSystemBus, WakeSignalRunsOneCheckSoon) {
  AddNumberedMessage(1);
  Form().CheckBox4->SetChecked(true);
  ASSERT_TRUE(Ask("org.freedesktop.login1", "/org/freedesktop/login1", "Sleep"));
  ASSERT_TRUE(Wake());

  ASSERT_TRUE(testsupport::PumpUntil([&] { return Form().MailAlerted; }));
  EXPECT_EQ(Sounds(), 1);
  EXPECT_TRUE(WindowRestored());
}

// A check that found no server name fails again until the network is
// back; then the next one runs at once, not at the next tick.
TEST_F(AutoCheckOnSystemBus, NetworkBackRetriesACheckThatLackedItAtOnce) {
  AddNumberedMessage(1);
  Form().IPedit->SetText("nosuch.invalid:110");
  ASSERT_TRUE(NetworkState(20));
  Tick();
  ASSERT_THAT(Form().CheckBox2->Hint(), ::testing::HasSubstr("failed: server name not found."));
  ASSERT_TRUE(Form().CheckBox2->Checked());

  Form().IPedit->SetText(ServerText());
  ASSERT_TRUE(NetworkState(70));

  ASSERT_TRUE(testsupport::PumpUntil([&] { return Form().MailAlerted; }));
  EXPECT_EQ(Sounds(), 1);
  EXPECT_THAT(Form().CheckBox2->Hint(), ::testing::Not(::testing::HasSubstr("failed")));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(AutoCheck, ListingLimitFromSettingsAppliesToAutoCheck) {
  for (int n = 1; n <= 5; ++n) AddNumberedMessage(n);
  WriteSettingsText("[DEBUG]\r\nFetchCount=2\r\n");
  app::StartMainWindow(Form());
  EnterMailboxAccount();
  Form().CheckBox2->SetChecked(true);
  ASSERT_EQ(Form().IPlabel->Text(), "Server IP: - 3");

  Tick();
  EXPECT_THAT(Column(5), ElementsAre("3", "2", "1"));
  EXPECT_THAT(Column(1), ElementsAre("Sender 3", "Sender 2", "Sender 1"));

  ClickCheck();
  EXPECT_THAT(Column(5), ElementsAre("3", "2", "1"));
}

TEST_F(AutoCheck, SoundSettingInAnyCaseLetsTickedSoundPlay) {
  WriteSettingsText("[SOUND]\r\nPlayWave=yes\r\n");
  app::StartMainWindow(Form());
  ASSERT_FALSE(Form().CheckBox3->Checked());
  EnterMailboxAccount();
  AddNumberedMessage(1);

  ClickCheck();
  EXPECT_EQ(Sounds(), 0);

  access::Click(*Form().CheckBox3);
  ClickCheck();
  EXPECT_EQ(Sounds(), 1);
}

// Two users of the test Dovecot as two mailboxes, the first chosen, a rule
// that matches only in the second: one alert, the tray hint naming the
// mailbox, the list still the chosen one's; a click on the notification
// chooses the second with its rows, and a deletion there leaves the first
// alone. A wrong password in the first is named and passed over.
TEST_F(AutoCheck, EveryMailboxIsCheckedAndTheOneThatMatchedIsNamed) {
  testsupport::Mailbox work(Server());
  work.Reset();
  Mail().AddMessage(Message({"From: friend@example.org", "Subject: lunch"}));
  work.AddMessage(Message({"From: boss@example.org", "Subject: invoice due"}));
  work.AddMessage(Message({"From: boss@example.org", "Subject: second invoice"}));
  AddSecondMailbox(work, work.Password());
  const std::string workName = work.User() + "@" + Server().Address();
  Form().Edit2->SetText("invoice");

  Tick();
  EXPECT_TRUE(Form().MailAlerted);
  EXPECT_EQ(Sounds(), 1) << "one alert for the tick";
  EXPECT_TRUE(Boxes().empty());
  EXPECT_THAT(Form().TrayIcon1->Hint(), ::testing::HasSubstr(workName + ": 2 matched"));
  EXPECT_THAT(Form().TrayIcon1->Hint(), ::testing::Not(::testing::HasSubstr(Mail().User() + "@")));
  EXPECT_THAT(Column(2), ElementsAre("lunch")) << "the list shows the chosen mailbox";

  Form().Notifier1Activated();
  EXPECT_EQ(Form().UserEdit->Text(), work.User());
  EXPECT_THAT(Column(2), ElementsAre("second invoice", "invoice due"));
  // The header view reads the chosen mailbox too.
  access::DoubleClickCell(*Form().StringGrid1, 0, 1);
  EXPECT_THAT(access::ShownText(*Form().Memo1), ::testing::HasSubstr("Subject: second invoice"));
  access::KeyPress(*Form().Memo1, 27);
  access::ClickCell(*Form().StringGrid1, 0, 0);
  access::Click(*Form().DeleteButton);
  EXPECT_EQ(work.Count(), 1);
  EXPECT_EQ(Mail().Count(), 1) << "the deletion touched only the chosen mailbox";

  // The first mailbox's password goes wrong: no box, the watch goes on,
  // and the second still alerts.
  ASSERT_TRUE(access::ChooseSystemMenuItem(*Form().Window, "&1 " + Mail().User() + "@" + Server().Address()));
  access::TypeText(*Form().PasswordEdit, "not-the-password");
  Acknowledge();
  const int sounds = Sounds();
  Tick();
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(Form().CheckBox2->Checked());
  EXPECT_TRUE(Form().MailAlerted);
  EXPECT_EQ(Sounds(), sounds + 1);
  EXPECT_THAT(Form().TrayIcon1->Hint(), ::testing::HasSubstr(Mail().User() + "@" + Server().Address() + ": failed"));
  EXPECT_THAT(Form().TrayIcon1->Hint(), ::testing::HasSubstr(workName + ": 1 matched"));
}

// A mailbox with AutoCheck=No stays out of the automatic check: its match
// raises nothing and it is never named.
TEST_F(AutoCheck, AMailboxWithAutoCheckNoIsLeftOut) {
  testsupport::Mailbox other(Server());
  other.Reset();
  other.AddMessage(Message({"From: boss@example.org", "Subject: invoice"}));
  WriteSettingsText("[EMAIL2]\r\nServer=" + ServerText() + "\r\nUserID=" + other.User() + "\r\nPassword=" +
                    app::ScramblePassword(other.Password()) + "\r\nAutoCheck=No\r\n");
  app::StartMainWindow(Form());
  EnterMailboxAccount();
  Form().CheckBox2->SetChecked(true);
  Form().Edit2->SetText("invoice");
  AddNumberedMessage(1);

  Tick();
  EXPECT_FALSE(Form().MailAlerted);
  EXPECT_THAT(Form().TrayIcon1->Hint(), ::testing::Not(::testing::HasSubstr(other.User())));
  EXPECT_THAT(Column(2), ElementsAre("Subject 1")) << "the first mailbox was checked";
}

}  // namespace

}  // namespace apptest
