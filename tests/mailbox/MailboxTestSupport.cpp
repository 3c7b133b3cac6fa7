#include "tests/mailbox/MailboxTestSupport.h"

#include "tests/support/ScriptedSessions.h"

namespace mailboxtest {

mailbox::CheckOutcome MailboxTest::Check(const mailbox::CheckOptions& options) {
  mailbox::CheckOutcome outcome;
  mailbox_.Check(options, outcome);
  return outcome;
}

std::vector<std::int32_t> MailboxTest::Numbers() const {
  std::vector<std::int32_t> numbers;
  for (int row = 0; row < List().Count(); ++row) numbers.push_back(List().Row(row).Number);
  return numbers;
}

std::vector<std::int32_t> MailboxTest::Sizes() const {
  std::vector<std::int32_t> sizes;
  for (int row = 0; row < List().Count(); ++row) sizes.push_back(List().Row(row).Size);
  return sizes;
}

std::vector<std::string> MailboxTest::Texts(mailbox::ShownText mailbox::MessageRow::*field) const {
  std::vector<std::string> texts;
  for (int row = 0; row < List().Count(); ++row) texts.push_back((List().Row(row).*field).Text);
  return texts;
}

std::vector<std::string> MailboxTest::Hints(mailbox::ShownText mailbox::MessageRow::*field) const {
  std::vector<std::string> hints;
  for (int row = 0; row < List().Count(); ++row) hints.push_back((List().Row(row).*field).Hint);
  return hints;
}

mailbox::MailboxSettings SettingsFor(const testsupport::Pop3TestServer& server, const testsupport::Mailbox& account) {
  mailbox::MailboxSettings settings;
  settings.Server = server.Address() + ":" + std::to_string(server.Port());
  settings.UserID = account.User();
  settings.Password = account.Password();
  return settings;
}

void DovecotMailboxTest::SetUp() {
  server_ = testsupport::Pop3TestServer::FromEnvironment();
  if (!server_) GTEST_SKIP() << testsupport::Pop3TestServer::kDirVariable << " is not set; no Dovecot test server";
  account_.emplace(*server_);
  account_->Reset();
  mailbox_.SetSettings(SettingsFor(*server_, *account_));
}

void DovecotMailboxTest::TearDown() { account_.reset(); }

void ScriptedMailboxTest::SetUp() {
  mailbox::MailboxSettings settings;
  settings.Server = ServerText();
  settings.UserID = testsupport::sessions::kUser;
  settings.Password = testsupport::sessions::kPassword;
  mailbox_.SetSettings(settings);
}

std::string ScriptedMailboxTest::ServerText() const {
  return std::string(testsupport::ScriptedPop3Server::Host()) + ":" + std::to_string(server_.Port());
}

void ScriptedMailboxTest::WhileWaitingFor(const std::string& prefix, std::function<void()> action, int count) {
  waiter_.SetOnTimer([this, prefix, action, count] {
    if (server_.CountReceivedSoFar(prefix) < count) return;
    waiter_.SetEnabled(false);
    action();
  });
  waiter_.SetEnabled(true);
}

}  // namespace mailboxtest
