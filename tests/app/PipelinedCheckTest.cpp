// The window's check against the real servers: the rows a check fills with
// its pipelined summaries equal those that a sequential walk over the same
// mailbox (FetchSummary one message at a time, TOP n 0 and LIST n) gives.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ListView.h"
#include "mailbox/ShownFields.h"
#include "app/POP3Unit1.h"
#include "tests/app/FormTest.h"
#include "tests/support/Pop3TestServer.h"

namespace apptest {
namespace {

using testsupport::ServerKind;

class PipelinedCheck : public FormTest, public ::testing::WithParamInterface<ServerKind> {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    server_ = testsupport::Pop3TestServer::FromEnvironment(testsupport::Pop3TestServer::DirVariable(GetParam()));
    if (!server_) GTEST_SKIP() << testsupport::Pop3TestServer::DirVariable(GetParam()) << " is not set";
    mailbox_.emplace(*server_);
    mailbox_->Reset();
  }

  void TearDown() override {
    mailbox_.reset();
    FormTest::TearDown();
  }

  // Each row as the list shows it: sender, subject, date, size, number.
  using Rows = std::vector<std::vector<std::string>>;

  Rows WindowRows() {
    Rows rows;
    for (int row = 0; row < Form().StringGrid1->RowCount(); ++row) {
      std::vector<std::string> cells;
      for (int col = app::kSenderColumn; col <= app::kNumberColumn; ++col)
        cells.push_back(Form().StringGrid1->Cell(col, row));
      rows.push_back(cells);
    }
    return rows;
  }

  // The same rows from a client of its own, one command at a time: newest
  // listed first, as the window inserts them.
  Rows SequentialRows() {
    pop3::TPop3Client client;
    client.Host = server_->Address();
    client.Port = server_->Port();
    client.UserID = mailbox_->User();
    client.Password = mailbox_->Password();
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
  std::optional<testsupport::Mailbox> mailbox_;
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
    mailbox_->AddMessage(text);
  }
  EnterAccount(server_->Address() + ":" + std::to_string(server_->Port()), mailbox_->User(), mailbox_->Password());
  ASSERT_TRUE(Form().CheckBox5->Checked());

  ClickCheck();

  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(WindowRestored());
  const Rows shown = WindowRows();
  ASSERT_EQ(shown.size(), 40u);
  EXPECT_EQ(shown.front()[0], "Sender 40 <s40@example.org>");
  EXPECT_EQ(shown, SequentialRows());
  EXPECT_EQ(Form().CheckButton->Hint(), "40");
}

INSTANTIATE_TEST_SUITE_P(Servers, PipelinedCheck, ::testing::Values(ServerKind::Dovecot, ServerKind::Courier),
                         testsupport::ServerParamName);

}  // namespace
}  // namespace apptest
