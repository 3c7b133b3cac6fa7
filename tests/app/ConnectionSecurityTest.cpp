// Connection security through the real window: TLS mailboxes of the TLS
// Dovecot checked, viewed and deleted from; a refused certificate told in a
// box of its own; the settings that choose and remember; the question
// before a log-in in clear.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "app/Settings.h"
#include "platform/testing/TestAccess.h"
#include "tests/app/FormTest.h"
#include "tests/support/ScriptedPop3Server.h"
#include "tests/support/Wait.h"

namespace apptest {
namespace {

namespace access = platform::test_access;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::string Setting(const std::string& section, const std::string& key) {
  return app::SettingsFile().ReadString(section, key, "");
}

class TlsWindow : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    server_ = testsupport::Pop3TestServer::FromEnvironment(testsupport::Pop3TestServer::kTlsDirVariable);
    if (!server_) GTEST_SKIP() << "POP3CHECK_TEST_TLS_SERVER_DIR is not set; no TLS Dovecot test server";
    mailbox_.emplace(*server_);
    mailbox_->Reset();
    app::WriteSetting(app::settings::kEmail, app::settings::kTlsCAFile, server_->CaFile());
  }
  void TearDown() override {
    mailbox_.reset();
    FormTest::TearDown();
  }

  void AddMessages() {
    for (int n = 1; n <= 2; ++n) {
      mailbox_->AddMessage("From: Sender " + std::to_string(n) + "\r\nSubject: Subject " + std::to_string(n) +
                           "\r\nDate: Date 1\r\n\r\nBody.\r\n");
    }
  }

  void CheckAs(const std::string& serverText) {
    EnterAccount(serverText, mailbox_->User(), mailbox_->Password());
    ClickCheck();
  }

  std::optional<testsupport::Pop3TestServer> server_;
  std::optional<testsupport::Mailbox> mailbox_;
};

TEST_F(TlsWindow, ImplicitTlsMailboxIsCheckedViewedAndDeletedFrom) {
  AddMessages();
  CheckAs("pop3s://" + server_->Address() + ":" + std::to_string(server_->TlsPort()));
  EXPECT_THAT(Boxes(), IsEmpty());
  EXPECT_THAT(Column(1), ElementsAre("Sender 2", "Sender 1"));
  EXPECT_THAT(Form().IPlabel->Hint(), HasSubstr("Last session: encrypted (TLSv1."));

  access::DoubleClickCell(*Form().StringGrid1, 0, 2);  // the header of message 2
  EXPECT_THAT(access::ShownText(*Form().Memo1), HasSubstr("Subject: Subject 2"));
  access::KeyPress(*Form().Memo1, 27);

  access::ClickCell(*Form().StringGrid1, 1, 0);  // tick message 1
  access::Click(*Form().DeleteButton);
  EXPECT_TRUE(testsupport::PumpUntil([&] { return mailbox_->Count() == 1; }));
  EXPECT_THAT(BoxTexts(BoxKind::Information), IsEmpty());
  EXPECT_TRUE(WindowRestored());
}

TEST_F(TlsWindow, AutoTakesStlsOnThePlainPortAndRemembersTheHost) {
  AddMessages();
  CheckAs(server_->Address() + ":" + std::to_string(server_->Port()));
  EXPECT_THAT(Boxes(), IsEmpty());
  EXPECT_THAT(Column(1), ElementsAre("Sender 2", "Sender 1"));
  EXPECT_THAT(Form().IPlabel->Hint(), HasSubstr("encrypted (TLSv1."));
  EXPECT_EQ(Setting(app::settings::kTlsHosts, server_->Address()), "Yes");
}

TEST_F(TlsWindow, ARefusedCertificateHasItsOwnBoxAndNoAbortBox) {
  const std::string address = server_->FaultAddress("expired");
  CheckAs("pop3s://" + address + ":" + std::to_string(server_->TlsPort()));
  const auto texts = BoxTexts(BoxKind::Information);
  ASSERT_EQ(texts.size(), 1u) << ::testing::PrintToString(texts);
  EXPECT_THAT(texts[0], HasSubstr("has expired"));
  EXPECT_THAT(texts[0], HasSubstr("SHA-256 fingerprint"));
  EXPECT_FALSE(Form().CheckBox2->Checked());
  EXPECT_TRUE(WindowRestored());
}

TEST_F(TlsWindow, PinnedSelfSignedServerFromTheSettingsFile) {
  app::WriteSetting(app::settings::kEmail, app::settings::kTlsCAFile, "");
  const std::string address = server_->FaultAddress("selfsigned");
  CheckAs("pop3s://" + address + ":" + std::to_string(server_->TlsPort()));
  const auto texts = BoxTexts(BoxKind::Information);
  ASSERT_EQ(texts.size(), 1u);
  // The box shows the fingerprint to pin; pinned, the next check goes through.
  const std::string marker = "SHA-256 fingerprint of the certificate:\n";
  const auto at = texts[0].find(marker);
  ASSERT_NE(at, std::string::npos) << texts[0];
  const std::string fingerprint = texts[0].substr(at + marker.size(), 95);
  app::WriteSetting(app::settings::kEmail, app::settings::kTlsFingerprint, fingerprint);
  platform::dialog_script::Reset();
  ClickCheck();
  EXPECT_THAT(Boxes(), ElementsAre(::testing::Field(&ShownBox::Text, "You Have No Mail !")));
  EXPECT_THAT(Form().IPlabel->Hint(), HasSubstr("encrypted"));
}

class SecurityScripted : public FormTest {
 protected:
  std::string ServerText() const { return std::string("127.0.0.1:") + std::to_string(server_.Port()); }
  testsupport::ScriptedPop3Server server_;
};

TEST_F(SecurityScripted, StrippedStlsForAHostRememberedAsTlsSendsNoPassword) {
  app::WriteSetting(app::settings::kTlsHosts, "127.0.0.1", "Yes");
  server_.AddConversation("S: +OK ready\nC: CAPA\nS: +OK\nS: USER\nS: .\n");
  EnterAccount(ServerText(), "ann", "secret");
  ClickCheck();
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_THAT(server_.Received(), ElementsAre("CAPA"));
  const auto texts = BoxTexts(BoxKind::Information);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_THAT(texts[0], HasSubstr("offered TLS before"));
  EXPECT_TRUE(WindowRestored());
}

// The choice belongs to the chosen mailbox: its section takes it, and the
// menu's mark follows the mailbox chosen.
TEST_F(SecurityScripted, EachMailboxKeepsItsOwnSecurity) {
  ASSERT_TRUE(access::ChooseSystemMenuItem(*Form().Window, "Add mailbox..."));
  ASSERT_TRUE(access::ChooseSystemMenuItem(*Form().Window, "None"));
  EXPECT_EQ(Setting("EMAIL2", app::settings::kSecurity), "None");
  EXPECT_EQ(Setting(app::settings::kEmail, app::settings::kSecurity), "");
  ASSERT_TRUE(access::ChooseSystemMenuItem(*Form().Window, "&1 New mailbox"));
  EXPECT_TRUE(Form().Window->SystemMenuItemChecked(app::kAboutCommand + 1)) << "the first is still Auto";
  EXPECT_FALSE(Form().Window->SystemMenuItemChecked(app::kAboutCommand + 4));
  ASSERT_TRUE(access::ChooseSystemMenuItem(*Form().Window, "&2 New mailbox"));
  EXPECT_TRUE(Form().Window->SystemMenuItemChecked(app::kAboutCommand + 4));

  server_.AddConversation("S: +OK ready\nC: USER ann\nS: +OK\nC: PASS secret\nS: +OK\nC: STAT\nS: +OK 0 0\n"
                          "C: QUIT\nS: +OK\n");
  EnterAccount(ServerText(), "ann", "secret");
  ClickCheck();
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_THAT(server_.Failures(), IsEmpty()) << "no CAPA: the second mailbox's None was used";
  EXPECT_THAT(Form().IPlabel->Hint(), HasSubstr("ann@127.0.0.1\nLast session: not encrypted"));
}

TEST_F(SecurityScripted, NoneFromTheMenuKeepsThePlainConversation) {
  ASSERT_TRUE(access::ChooseSystemMenuItem(*Form().Window, "None"));
  EXPECT_EQ(Setting(app::settings::kEmail, app::settings::kSecurity), "None");
  EXPECT_TRUE(Form().Window->SystemMenuItemChecked(app::kAboutCommand + 4));
  EXPECT_FALSE(Form().Window->SystemMenuItemChecked(app::kAboutCommand + 1));
  server_.AddConversation("S: +OK ready\nC: USER ann\nS: +OK\nC: PASS secret\nS: +OK\nC: STAT\nS: +OK 0 0\n"
                          "C: QUIT\nS: +OK\n");
  EnterAccount(ServerText(), "ann", "secret");
  ClickCheck();
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_THAT(server_.Failures(), IsEmpty());
  EXPECT_THAT(Form().IPlabel->Hint(), HasSubstr("not encrypted"));
}

TEST_F(SecurityScripted, PlaintextLogInElsewhereIsAskedOncePerHostAndRemembered) {
  bool handled = false;
  Form().POP3PlaintextLogin("192.168.20.7", handled);  // a private range: never asked
  EXPECT_TRUE(handled);
  EXPECT_THAT(Boxes(), IsEmpty());

  platform::dialog_script::SetNextAnswer(platform::BoxAnswer::No);
  Form().POP3PlaintextLogin("pop.example.com", handled);
  EXPECT_FALSE(handled);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].Kind, BoxKind::Question);
  EXPECT_THAT(Boxes()[0].Text, HasSubstr("pop.example.com:995"));
  Form().POP3PlaintextLogin("pop.example.com", handled);  // remembered: no second box
  EXPECT_FALSE(handled);
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Setting(app::settings::kPlaintextHosts, "pop.example.com"), "No");
}

}  // namespace
}  // namespace apptest
