// The check against the real servers: the rows it fills with its pipelined
// summaries equal those that a sequential walk over the same mailbox
// (FetchSummary one message at a time, TOP n 0 and LIST n) gives.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mailbox/ShownFields.h"
#include "tests/mailbox/MailboxTestSupport.h"
#include "tests/support/Pop3TestServer.h"

namespace mailboxtest {
namespace {

using testsupport::ServerKind;

class PipelinedCheck : public MailboxTest, public ::testing::WithParamInterface<ServerKind> {
 protected:
  void SetUp() override {
    server_ = testsupport::Pop3TestServer::FromEnvironment(testsupport::Pop3TestServer::DirVariable(GetParam()));
    if (!server_) GTEST_SKIP() << testsupport::Pop3TestServer::DirVariable(GetParam()) << " is not set";
    account_.emplace(*server_);
    account_->Reset();
    mailbox_.SetSettings(SettingsFor(*server_, *account_));
  }

  void TearDown() override { account_.reset(); }

  // Each row as the list holds it: sender, subject, date, size, number.
  using Rows = std::vector<std::vector<std::string>>;

  Rows CheckedRows() const {
    Rows rows;
    for (int row = 0; row < List().Count(); ++row) {
      const mailbox::MessageRow& listed = List().Row(row);
      rows.push_back({listed.From.Text, listed.Subject.Text, listed.Date.Text, std::to_string(listed.Size),
                      std::to_string(listed.Number)});
    }
    return rows;
  }

  // The same rows from a client of its own, one command at a time: newest
  // listed first, as the listing puts them.
  Rows SequentialRows() {
    pop3::TPop3Client client;
    client.Host = server_->Address();
    client.Port = server_->Port();
    client.UserID = account_->User();
    client.Password = account_->Password();
    std::vector<std::pair<int, int>> listed;
    client.OnList = [&](std::int32_t msg, std::int32_t size) { listed.emplace_back(msg, size); };
    client.Connect();
    client.ListMessages();
    Rows rows;
    for (const auto& [msg, size] : listed) {
      client.FetchSummary(msg);
      EXPECT_EQ(client.Summary().Bytes, size) << "LIST " << msg << " and the scan listing disagree";
      const std::string header = mailbox::LinesText(client.Summary().Header);
      std::vector<std::string> cells;
      for (const mailbox::ShownField& field : mailbox::kShownFields) {
        const std::optional<std::string> value = mailbox::FieldValue(header, field);
        cells.push_back(value ? mailbox::ShownFieldText(field, *value) : std::string());
      }
      cells.push_back(std::to_string(size));
      cells.push_back(std::to_string(msg));
      rows.insert(rows.begin(), cells);
    }
    client.Disconnect();
    return rows;
  }

  std::optional<testsupport::Pop3TestServer> server_;
  std::optional<testsupport::Mailbox> account_;
};

TEST_P(PipelinedCheck, RowsEqualThoseOfASequentialWalk) {
  // Varied headers: folded lines, a header line starting with a dot (sent
  // dot-stuffed), labels in upper case, a long header, a message without a
  // date; 40 messages, more than one batch of answers.
  for (int n = 1; n <= 40; ++n) {
    const std::string number = std::to_string(n);
    std::string text = (n % 3 == 0 ? "FROM: Upper " : "From: Sender ") + number + " <s" + number + "@example.org>\r\n" +
                       "Subject: Subject " + number + "\r\n\tfolded on\r\n";
    if (n % 4 != 0) text += "Date: Mon, " + number + " Dec 2026 10:00:00 +0000\r\n";
    if (n % 5 == 0) text += ".Dotted: header line\r\n";
    if (n % 7 == 0) text += "X-Long: " + std::string(3000 + 100 * n, 'x') + "\r\n";
    text += "\r\nBody " + number + "\r\n.\r\n..two dots\r\n";
    account_->AddMessage(text);
  }

  const mailbox::CheckOutcome outcome = ManualCheck();

  EXPECT_EQ(outcome.Session, mailbox::LogIn::Done);
  EXPECT_FALSE(outcome.Incomplete);
  EXPECT_EQ(outcome.ListTotal, 40);
  EXPECT_TRUE(events_.NoFailureTold());
  EXPECT_FALSE(mailbox_.Client().IsConnected());
  const Rows checked = CheckedRows();
  ASSERT_EQ(checked.size(), 40u);
  EXPECT_EQ(checked.front()[0], "Sender 40 <s40@example.org>");
  EXPECT_EQ(checked, SequentialRows());
}

// A deletion of every third row of twelve: one log-in, the rows found by
// their unique ids, the DELE commands pipelined (both servers list
// PIPELINING), and exactly the unticked messages left.
TEST_P(PipelinedCheck, DeletionIsOneSessionThatKeepsTheUntickedMessages) {
  for (int n = 1; n <= 12; ++n)
    account_->AddMessage("From: Sender " + std::to_string(n) + "\r\nSubject: Subject " + std::to_string(n) +
                         "\r\n\r\nBody\r\n");
  ASSERT_EQ(ManualCheck().ListTotal, 12);
  std::vector<std::string> kept;
  for (int row = 0; row < List().Count(); ++row) {
    ASSERT_FALSE(List().Row(row).UniqueId.empty());
    if (row % 3 == 0) {
      mailbox_.List().SetTicked(row, true);
    } else {
      kept.push_back(List().Row(row).Subject.Text);
    }
  }
  const int logInsBefore = events_.logIns;

  const mailbox::DeletionOutcome outcome = mailbox_.DeleteTicked();

  EXPECT_EQ(outcome.Session, mailbox::LogIn::Done);
  EXPECT_EQ(outcome.Deleted, 4);
  EXPECT_TRUE(outcome.Changed.empty() && outcome.Refused.empty() && outcome.NotDeleted.empty());
  EXPECT_FALSE(outcome.Lost);
  EXPECT_EQ(events_.logIns - logInsBefore, 1);
  EXPECT_EQ(List().Count(), 0);
  EXPECT_FALSE(mailbox_.Client().IsConnected());

  ManualCheck();
  std::vector<std::string> left;
  for (int row = 0; row < List().Count(); ++row) left.push_back(List().Row(row).Subject.Text);
  EXPECT_EQ(left, kept);
}

INSTANTIATE_TEST_SUITE_P(Servers, PipelinedCheck, ::testing::Values(ServerKind::Dovecot, ServerKind::Courier),
                         testsupport::ServerParamName);

}  // namespace
}  // namespace mailboxtest
