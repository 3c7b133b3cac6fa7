// TPop3Client against real servers: the private Dovecot and Courier
// instances of scripts/pop3-server.sh. They differ where the client must not
// care: greeting, UIDL forms, Courier dropping commands sent before the
// previous reply. Courier answers a refused log-in only after 5 seconds.

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "pop3/Pop3Client.h"
#include "tests/support/Pop3TestServer.h"
#include "tests/support/Wait.h"

namespace pop3test {

using platform::TComponent;
namespace {

using platform::Exception;
using Listing = std::vector<std::pair<int, int>>;

std::string MessageText(int n, const std::string& filler = "") {
  return "From: Sender " + std::to_string(n) + " <s" + std::to_string(n) + "@example.org>\n" +
         "Subject: Message " + std::to_string(n) + "\n" + "Message-ID: <" + std::to_string(n) +
         "@pop3check.test>\n\nBody of message " + std::to_string(n) + ".\n" + filler;
}

class Pop3Server : public testsupport::ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    client_.Host = server_->Address();
    client_.Port = server_->Port();
    client_.UserID = mailbox_->User();
    client_.Password = mailbox_->Password();
  }

  Listing ListAll() {
    Listing listed;
    client_.OnList = [&](std::int32_t msg, std::int32_t size) { listed.emplace_back(msg, size); };
    client_.ListMessages();
    client_.OnList = nullptr;
    return listed;
  }

  pop3::TPop3Client client_;
};

TEST_P(Pop3Server, LogsInReadsMailCountAndLogsOut) {
  for (int n = 1; n <= 3; ++n) mailbox_->AddMessage(MessageText(n));
  auto logStart = server_->LogSize();
  int connected = 0;
  client_.OnConnect = [&](TComponent*) { ++connected; };
  client_.Connect();
  EXPECT_EQ(client_.MailCount(), 3);
  EXPECT_EQ(connected, 1);
  client_.Disconnect();
  EXPECT_FALSE(client_.IsConnected());
  EXPECT_TRUE(mailbox_->WaitForLog(logStart, server_->LogMarks().loggedOut));
}

TEST_P(Pop3Server, WrongPasswordFailsAuthenticationAndStillQuits) {
  auto logStart = server_->LogSize();
  client_.Password = mailbox_->Password() + "-wrong";
  int failed = 0;
  int connected = 0;
  client_.OnAuthenticationFailed = [&](bool&) { ++failed; };
  client_.OnConnect = [&](TComponent*) { ++connected; };
  std::string failure;
  try {
    client_.Connect();
  } catch (const Exception& error) {
    failure = error.what();
  }
  EXPECT_EQ(failure, "Authentication failed");
  EXPECT_EQ(failed, 1);
  EXPECT_EQ(connected, 0);
  EXPECT_FALSE(client_.IsConnected());
  // Both servers tell a client that signed off with QUIT from one that hung up.
  EXPECT_TRUE(mailbox_->WaitForLog(logStart, server_->LogMarks().quitAfterAuthFailure));
}

TEST_P(Pop3Server, RetryAfterWrongPasswordWithTheRightOne) {
  mailbox_->AddMessage(MessageText(1));
  client_.Password = "wrong";
  client_.OnAuthenticationFailed = [&](bool& handled) {
    client_.Password = mailbox_->Password();
    handled = true;
  };
  client_.Connect();
  EXPECT_EQ(client_.MailCount(), 1);
  client_.Disconnect();
}

TEST_P(Pop3Server, EmptyMailbox) {
  client_.Connect();
  EXPECT_EQ(client_.MailCount(), 0);
  EXPECT_TRUE(ListAll().empty());
  client_.Disconnect();
}

TEST_P(Pop3Server, ListsMessagesInOrderWithTheirSizes) {
  Listing expected;
  // More than nine: a server that orders by file name as text must still
  // list them in the order they arrived.
  for (int n = 1; n <= 12; ++n) {
    auto size = mailbox_->AddMessage(MessageText(n, std::string(n * 100, 'x') + "\n"));
    expected.emplace_back(n, static_cast<int>(size));
  }
  client_.Connect();
  EXPECT_EQ(ListAll(), expected);
  client_.Disconnect();
}

TEST_P(Pop3Server, SummaryOfAThreeLineHeader) {
  mailbox_->AddMessage(MessageText(1));
  auto size = mailbox_->AddMessage(
      "From: Anna <anna@example.de>\nSubject: Three lines\nMessage-ID: <three@example.de>\n\nHello.\n.\n");
  client_.Connect();
  client_.FetchSummary(2);
  const pop3::TSummary& summary = client_.Summary();
  EXPECT_EQ(summary.Subject, " Three lines");
  EXPECT_EQ(summary.From, " Anna <anna@example.de>");
  EXPECT_EQ(summary.MessageId, "<three@example.de>");
  EXPECT_EQ(summary.Bytes, size);
  EXPECT_EQ(summary.Header.Items(), (std::vector<std::string>{"From: Anna <anna@example.de>", "Subject: Three lines",
                                                               "Message-ID: <three@example.de>", "", "."}));
  client_.FetchSummary(1);
  EXPECT_EQ(client_.Summary().Subject, " Message 1");
  client_.Disconnect();
}

TEST_P(Pop3Server, SummaryOfAMissingMessageIsRefused) {
  mailbox_->AddMessage(MessageText(1));
  client_.Connect();
  client_.FetchSummary(1);
  EXPECT_THROW(client_.FetchSummary(2), Exception);
  EXPECT_EQ(client_.Summary().Subject, " Message 1");
  // The session is still in step after the refusal.
  client_.FetchSummary(1);
  client_.Disconnect();
}

TEST_P(Pop3Server, DeletionRemovesExactlyThatMessageAndRenumbersTheRest) {
  std::vector<std::int64_t> sizes;
  for (int n = 1; n <= 3; ++n) sizes.push_back(mailbox_->AddMessage(MessageText(n, std::string(n * 10, 'y') + "\n")));
  int succeeded = 0;
  client_.OnSuccess = [&](TComponent*) { ++succeeded; };
  auto logStart = server_->LogSize();
  client_.Connect();
  client_.DeleteMessage(2);
  EXPECT_EQ(succeeded, 1);
  client_.Disconnect();
  // Courier answers QUIT before it removes the files, and its log line may
  // come before the removal is done: wait for the files themselves.
  ASSERT_TRUE(mailbox_->WaitForLog(logStart, server_->LogMarks().loggedOut));
  EXPECT_TRUE(testsupport::PumpUntil([&] { return mailbox_->Count() <= 2; }));
  EXPECT_EQ(mailbox_->Count(), 2);

  client_.Connect();
  EXPECT_EQ(client_.MailCount(), 2);
  EXPECT_EQ(ListAll(), (Listing{{1, static_cast<int>(sizes[0])}, {2, static_cast<int>(sizes[2])}}));
  client_.FetchSummary(2);
  EXPECT_EQ(client_.Summary().Subject, " Message 3");
  client_.Disconnect();
}

// A unique id names its message across sessions: after another session
// deleted message 1, the others are found under their new numbers.
TEST_P(Pop3Server, UniqueIdsFollowMessagesAcrossRenumbering) {
  for (int n = 1; n <= 3; ++n) mailbox_->AddMessage(MessageText(n));
  client_.Connect();
  std::map<std::int32_t, std::string> ids;
  ASSERT_TRUE(client_.ListUniqueIds(ids));
  ASSERT_EQ(ids.size(), 3u);
  EXPECT_NE(ids[1], ids[2]);
  EXPECT_NE(ids[2], ids[3]);
  EXPECT_EQ(client_.UniqueId(2), ids[2]);
  EXPECT_EQ(client_.LocateMessage(3, ids[3]), 3);
  auto logStart = server_->LogSize();
  client_.DeleteMessage(1);
  client_.Disconnect();
  ASSERT_TRUE(mailbox_->WaitForLog(logStart, server_->LogMarks().loggedOut));

  client_.Connect();
  EXPECT_EQ(client_.LocateMessage(3, ids[3]), 2);
  EXPECT_EQ(client_.LocateMessage(2, ids[2]), 1);
  EXPECT_EQ(client_.LocateMessage(1, ids[1]), std::nullopt);
  EXPECT_EQ(client_.UniqueId(3), std::nullopt);
  client_.FetchSummary(2);
  EXPECT_EQ(client_.Summary().Subject, " Message 3") << "the session is still in step";
  client_.Disconnect();
}

TEST_P(Pop3Server, DeletionWithoutQuitIsNotCommitted) {
  mailbox_->AddMessage(MessageText(1));
  client_.Connect();
  client_.DeleteMessage(1);
  client_.Abort();
  client_.Connect();
  EXPECT_EQ(client_.MailCount(), 1);
  client_.Disconnect();
}

TEST_P(Pop3Server, DeletingAMissingMessageFiresOnFailure) {
  int failed = 0;
  client_.OnFailure = [&](TComponent*) { ++failed; };
  client_.Connect();
  EXPECT_THROW(client_.DeleteMessage(1), Exception);
  EXPECT_EQ(failed, 1);
  client_.Disconnect();
}

TEST_P(Pop3Server, DisconnectWithoutSessionIsHarmless) {
  auto logStart = server_->LogSize();
  client_.Disconnect();
  EXPECT_FALSE(client_.IsConnected());
  client_.Connect();
  client_.Disconnect();
  EXPECT_TRUE(mailbox_->WaitForLog(logStart, server_->LogMarks().loggedOut));
  int sessions = 0;
  for (const auto& line : mailbox_->LogLinesSince(logStart)) {
    sessions += line.find(server_->LogMarks().login) != std::string::npos;
  }
  EXPECT_EQ(sessions, 1);
}

INSTANTIATE_TEST_SUITE_P(Servers, Pop3Server,
                         ::testing::Values(testsupport::ServerKind::Dovecot, testsupport::ServerKind::Courier),
                         testsupport::ServerParamName);

}  // namespace
}  // namespace pop3test
