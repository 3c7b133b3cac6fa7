// The alert's desktop notification, sent to the scripted notification
// server of tests/support/notification-server.py on a private session bus.
// Runs only inside tests/support/desktop-session.sh (the ctest entry
// app_desktop_session_tests); elsewhere it is skipped. The notification
// goes out asynchronously: what the server received is waited for.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdlib>

#include "app/ProgramEntry.h"
#include "platform/gui/Application.h"
#include "platform/testing/TestAccess.h"
#include "tests/app/FormTest.h"
#include "tests/app/SettingsTestSupport.h"
#include "tests/support/Wait.h"

namespace apptest {

namespace {

namespace access = platform::test_access;
using ::testing::Contains;
using ::testing::ElementsAre;

// Calls a method of the scripted server's test interface.
QDBusMessage CallServer(const char* method, const QVariantList& arguments = {}) {
  QDBusMessage call =
      QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"),
                                     QStringLiteral("/org/freedesktop/Notifications"),
                                     QStringLiteral("org.pop3check.TestNotifications"), QString::fromLatin1(method));
  call.setArguments(arguments);
  return QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
}

class DesktopNotification : public DovecotFormTest {
 protected:
  void SetUp() override {
    if (std::getenv("POP3CHECK_TEST_DESKTOP_SESSION") == nullptr)
      GTEST_SKIP() << "needs the private session of tests/support/desktop-session.sh";
    DovecotFormTest::SetUp();
    if (IsSkipped()) return;
    ASSERT_EQ(CallServer("Reset").type(), QDBusMessage::ReplyMessage) << "the scripted server does not answer";
  }

  void StartWithRules(const std::string& from) {
    app::StartMainWindow(Form());
    EnterMailboxAccount();
    Form().Edit1->SetText(from);
    Form().CheckBox2->SetChecked(true);
  }

  // Every notification the server received, oldest first; the second form
  // first waits until there are at least count.
  static QJsonArray Sent(int count) {
    testsupport::PumpUntil([count] { return Sent().size() >= count; });
    return Sent();
  }
  static QJsonArray Sent() {
    QDBusMessage reply = CallServer("Sent");
    if (reply.type() != QDBusMessage::ReplyMessage) return {};
    return QJsonDocument::fromJson(reply.arguments().first().toString().toUtf8()).array();
  }
  // The notification methods the server was called with, oldest first.
  static QStringList Calls() {
    QDBusMessage reply = CallServer("Calls");
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().first().toStringList() : QStringList();
  }
  static std::string Field(const QJsonArray& sent, int index, const char* name) {
    return sent.at(index).toObject().value(QLatin1String(name)).toString().toStdString();
  }
};

TEST_F(DesktopNotification, OnePerAlertingCheckNamingTheMatches) {
  AddNumberedMessage(1);
  AddNumberedMessage(2);
  AddNumberedMessage(3);
  // "Sender 1" matches through two terms, "Sender 3" through one.
  StartWithRules("Sender 1;Sender 3;der 1");
  Form().Timer1Timer();
  ASSERT_TRUE(Form().MailAlerted);

  QJsonArray sent = Sent(1);
  ASSERT_EQ(sent.size(), 1) << "one notification per check, however many terms matched";
  EXPECT_EQ(Field(sent, 0, "summary"), "2 messages matched");
  EXPECT_EQ(Field(sent, 0, "body"), "Sender 3: Subject 3\nSender 1: Subject 1");
  EXPECT_EQ(Field(sent, 0, "app_name"), "POP3 Checker");
  EXPECT_EQ(Field(sent, 0, "app_icon"), "pop3check");
  QJsonObject hints = sent.at(0).toObject().value(QLatin1String("hints")).toObject();
  EXPECT_EQ(hints.value(QLatin1String("desktop-entry")).toString().toStdString(), "org.pop3check.pop3check");
  EXPECT_TRUE(sent.at(0).toObject().value(QLatin1String("actions")).toArray().contains(QLatin1String("default")));

  // Continuous checking alerts again: the new notice replaces the old one.
  Form().CheckBox4->SetChecked(true);
  Form().Timer1Timer();
  sent = Sent(2);
  ASSERT_EQ(sent.size(), 2);
  EXPECT_EQ(sent.at(1).toObject().value(QLatin1String("replaces_id")).toInt(),
            sent.at(0).toObject().value(QLatin1String("id")).toInt());
}

TEST_F(DesktopNotification, SeveralMailboxesAreNamedWithTheirMatches) {
  testsupport::Mailbox work(Server());
  work.Reset();
  AddNumberedMessage(1);
  work.AddMessage(Message({"From: Sender 2", "Subject: Subject 2"}));
  StartWithRules("Sender 2");
  AddSecondMailbox(work, work.Password());
  Form().Timer1Timer();
  ASSERT_TRUE(Form().MailAlerted);

  QJsonArray sent = Sent(1);
  ASSERT_EQ(sent.size(), 1);
  EXPECT_EQ(Field(sent, 0, "summary"), work.User() + "@" + Server().Address() + ": 1 matched");
  EXPECT_EQ(Field(sent, 0, "body"), "Sender 2: Subject 2");
}

TEST_F(DesktopNotification, NoneWhenNothingMatchedOrTheNotificationIsOff) {
  AddNumberedMessage(1);
  StartWithRules("nobody");
  Form().Timer1Timer();
  EXPECT_FALSE(Form().MailAlerted);
  EXPECT_EQ(Sent().size(), 0);

  // Any mail is news without rules, but Notify=No keeps it off the desktop.
  Form().CheckBox2->SetChecked(false);
  WriteSettingsText("[DESKTOP]\r\nNotify=No\r\n");
  app::TForm1 second;
  app::StartMainWindow(second);
  second.IPedit->SetText(ServerText());
  second.UserEdit->SetText(Mail().User());
  second.PasswordEdit->SetText(Mail().Password());
  second.CheckBox2->SetChecked(true);
  second.Timer1Timer();
  EXPECT_TRUE(second.MailAlerted);
  EXPECT_EQ(Sent().size(), 0);
  second.CheckBox2->SetChecked(false);
}

// The notice is dropped, not merely late: once the server has answered
// the question, the next alert (do-not-disturb off again) is the only one
// the server ever receives.
TEST_F(DesktopNotification, DoNotDisturbIsRespected) {
  ASSERT_EQ(CallServer("SetInhibited", {true}).type(), QDBusMessage::ReplyMessage);
  AddNumberedMessage(1);
  StartWithRules("");
  Form().Timer1Timer();
  EXPECT_TRUE(Form().MailAlerted) << "the other alerts still run";
  ASSERT_TRUE(testsupport::PumpUntil([] { return Calls().contains(QStringLiteral("Get")); }));

  ASSERT_EQ(CallServer("SetInhibited", {false}).type(), QDBusMessage::ReplyMessage);
  AddNumberedMessage(2);
  Form().CheckBox4->SetChecked(true);
  Form().Timer1Timer();
  QJsonArray sent = Sent(1);
  ASSERT_EQ(sent.size(), 1);
  EXPECT_EQ(Field(sent, 0, "summary"), "2 messages matched");
}

// A server that takes the calls and does not answer: the check does not
// wait for it, and the window serves its events while the notice's
// questions are out. An answer that comes late is still heard:
// do-not-disturb, said only now, drops that notice, and the next alert is
// the only one shown. (A window that had waited for the answer would have
// given up on it and sent the first notice.)
TEST_F(DesktopNotification, AServerThatDoesNotAnswerHoldsUpNothing) {
  ASSERT_EQ(CallServer("SetSilent", {true}).type(), QDBusMessage::ReplyMessage);
  AddNumberedMessage(1);
  StartWithRules("");
  Form().Timer1Timer();
  EXPECT_TRUE(Form().MailAlerted);
  EXPECT_TRUE(WindowRestored());
  ASSERT_TRUE(testsupport::PumpUntil([] {
    QStringList calls = Calls();
    return calls.contains(QStringLiteral("Get")) && calls.contains(QStringLiteral("GetCapabilities"));
  }));

  ASSERT_EQ(CallServer("SetInhibited", {true}).type(), QDBusMessage::ReplyMessage);
  ASSERT_EQ(CallServer("SetSilent", {false}).type(), QDBusMessage::ReplyMessage);
  ASSERT_EQ(CallServer("SetInhibited", {false}).type(), QDBusMessage::ReplyMessage);
  AddNumberedMessage(2);
  Form().CheckBox4->SetChecked(true);
  Form().Timer1Timer();
  QJsonArray sent = Sent(1);
  ASSERT_EQ(sent.size(), 1) << "the notice of the first check went out without its answer";
  EXPECT_EQ(Field(sent, 0, "summary"), "2 messages matched");
}

TEST_F(DesktopNotification, MailTextIsNeverMarkup) {
  ASSERT_EQ(CallServer("SetBodyMarkup", {true}).type(), QDBusMessage::ReplyMessage);
  Mail().AddMessage(Message({"From: <b>Eve</b> & co", "Subject: <a href=\"x\">win</a>"}));
  StartWithRules("");
  Form().Timer1Timer();
  QJsonArray sent = Sent(1);
  ASSERT_EQ(sent.size(), 1);
  EXPECT_EQ(Field(sent, 0, "body"), "&lt;b&gt;Eve&lt;/b&gt; &amp; co: &lt;a href=&quot;x&quot;&gt;win&lt;/a&gt;");
}

TEST_F(DesktopNotification, ClickBringsTheWindowBackFromTheTray) {
  if (!DesktopHasTray()) GTEST_SKIP() << kNeedsTray;
  AddNumberedMessage(1);
  StartWithRules("");
  Form().AppMinimized();
  ASSERT_TRUE(Form().InTray);
  Form().Timer1Timer();
  QJsonArray sent = Sent(1);
  ASSERT_EQ(sent.size(), 1);
  ASSERT_TRUE(Form().TrayIcon1->Animating());

  uint id = static_cast<uint>(sent.at(0).toObject().value(QLatin1String("id")).toInt());
  ASSERT_EQ(CallServer("Invoke", {id, QStringLiteral("default")}).type(), QDBusMessage::ReplyMessage);
  EXPECT_TRUE(testsupport::PumpUntil([this] { return !Form().InTray; }, 10000));
  EXPECT_TRUE(Form().Window->Visible());
  EXPECT_FALSE(Form().TrayIcon1->Animating());
}

}  // namespace

}  // namespace apptest
