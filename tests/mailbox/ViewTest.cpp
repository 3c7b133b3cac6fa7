// The header and body views and the right-click analysis: what each
// fetches, from which message, and how a fetch fails.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "mailbox/ShownFields.h"
#include "platform/core/Files.h"
#include "tests/mailbox/MailboxTestSupport.h"
#include "tests/support/ScriptedSessions.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestMessages.h"

namespace mailboxtest {

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testsupport::MessageWithHeader;
using namespace testsupport::sessions;

class MailboxView : public DovecotMailboxTest {
 protected:
  // Lists the mailbox without summaries.
  void ListMailbox() { ASSERT_TRUE(Check({false, true, 0}).Listed); }
  const std::string& IdOf(int row) const { return List().Row(row).UniqueId; }

  testsupport::TempFolder folder_{"attachments"};
};

TEST_F(MailboxView, HeaderIsTheSummaryOfItsMessageAndLeavesTheListAlone) {
  account_->AddMessage(MessageWithHeader({"From: Ann", "Subject: Three lines", "Date: Today"}));
  account_->AddMessage(MessageWithHeader({"From: Bob", "Subject: Other", "Date: Later"}));
  ListMailbox();
  ASSERT_THAT(Numbers(), ElementsAre(2, 1));

  const mailbox::ViewOutcome outcome = mailbox_.FetchHeader(1, IdOf(1));

  EXPECT_EQ(outcome.Session, mailbox::LogIn::Done);
  EXPECT_TRUE(outcome.Fetched);
  EXPECT_EQ(mailbox::LinesText(outcome.Header), "From: Ann\r\nSubject: Three lines\r\nDate: Today\r\n\r\n.\r\n");
  EXPECT_FALSE(outcome.Gone);
  EXPECT_FALSE(outcome.Failure);
  EXPECT_FALSE(outcome.QuitFailure);
  // The view's summary never reaches the rows.
  EXPECT_THAT(Numbers(), ElementsAre(2, 1));
  EXPECT_THAT(Senders(), ElementsAre("", ""));
  EXPECT_FALSE(mailbox_.Client().IsConnected());
}

TEST_F(MailboxView, BodyPlacesAttachmentsInTheFolder) {
  account_->AddMessage(testsupport::kReportMessage);
  account_->AddMessage(MessageWithHeader({"From: Ann", "Subject: Plain"}));
  ListMailbox();

  mailbox::ViewOutcome outcome = mailbox_.FetchBody(1, IdOf(1), folder_.Path());

  EXPECT_EQ(outcome.Session, mailbox::LogIn::Done);
  EXPECT_TRUE(outcome.Fetched);
  ASSERT_EQ(outcome.Message.Attachments.Count(), 1);
  EXPECT_EQ(outcome.Message.Attachments[0], "report.bin");
  EXPECT_EQ(platform::ReadFileIfExists(folder_.File("report.bin")), testsupport::ReportAttachmentBytes());
  EXPECT_EQ(events_.attachmentsSaved, 1);
  EXPECT_FALSE(outcome.Failure);
  EXPECT_FALSE(mailbox_.Client().IsConnected());

  outcome = mailbox_.FetchBody(2, IdOf(0), folder_.Path());
  EXPECT_TRUE(outcome.Fetched);
  EXPECT_TRUE(outcome.Message.Attachments.Empty());
  EXPECT_EQ(events_.attachmentsSaved, 1);
}

// A message deleted since the check is gone for either view, and nothing
// failed.
TEST_F(MailboxView, EmptiedMailboxHasTheMessageGone) {
  testsupport::AddNumberedMessage(*account_, 1);
  ListMailbox();
  account_->Reset();

  for (bool body : {false, true}) {
    SCOPED_TRACE(body ? "body" : "header");
    const mailbox::ViewOutcome outcome =
        body ? mailbox_.FetchBody(1, IdOf(0), folder_.Path()) : mailbox_.FetchHeader(1, IdOf(0));
    EXPECT_EQ(outcome.Session, mailbox::LogIn::Done);
    EXPECT_TRUE(outcome.Gone);
    EXPECT_FALSE(outcome.Fetched);
    EXPECT_FALSE(outcome.Failure);
    EXPECT_FALSE(mailbox_.Client().IsConnected());
  }
}

// A right click on a row of a check without summaries fills that row, and
// that row alone, from the server.
TEST_F(MailboxView, AnalyseRowFillsItsRowFromTheServer) {
  for (int n = 1; n <= 3; ++n) testsupport::AddNumberedMessage(*account_, n);
  ListMailbox();
  ASSERT_THAT(Senders(), ElementsAre("", "", ""));

  mailbox_.AnalyseRow(2);

  EXPECT_THAT(Senders(), ElementsAre("", "", "Sender 1"));
  EXPECT_THAT(Subjects(), ElementsAre("", "", "Subject 1"));
  EXPECT_THAT(Dates(), ElementsAre("", "", "Date 1"));
  EXPECT_FALSE(mailbox_.Client().IsConnected());
}

class MailboxViewFault : public ScriptedMailboxTest {
 protected:
  // Rows for messages 1 and 2, as a listing leaves them.
  void ListTwoMessages() {
    mailbox_.List().AddListed(1, 100);
    mailbox_.List().AddListed(2, 100);
  }
};

// What a view's outcome says when its session fails: before the log-in
// (the window tells that itself), or at the fetch (a note, for the
// window's status line).
TEST_F(MailboxViewFault, FailedFetchSaysWhy) {
  struct ViewFault {
    const char* Name;
    bool Body;
    std::int32_t Msg;
    std::string Script;
    const char* AbortAt;  // the command whose wait is aborted, or nullptr
    mailbox::LogIn Session;
    std::optional<mailbox::FailureNote> Failure;
  };
  const ViewFault faults[] = {
      {"greeting refused", false, 2, "S: -ERR go away\n" + Quit(), nullptr, mailbox::LogIn::Failed, std::nullopt},
      {"body refused", true, 1, LogIn("2 200") + "C: RETR 1\nS: -ERR no such message\n" + Quit(), nullptr,
       mailbox::LogIn::Done,
       mailbox::FailureNote{"refused by the server", "The server refused: -ERR no such message"}},
      {"header wait aborted", false, 2, LogIn("2 200") + "C: TOP 2 0\nSTALL\n", "TOP 2 0", mailbox::LogIn::Done,
       mailbox::FailureNote{"connection lost", ""}},
      {"body wait aborted", true, 1, LogIn("2 200") + "C: RETR 1\nSTALL\n", "RETR 1", mailbox::LogIn::Done,
       mailbox::FailureNote{"connection lost", ""}},
  };
  testsupport::TempFolder folder("attachments");
  ListTwoMessages();
  for (const ViewFault& fault : faults) {
    SCOPED_TRACE(fault.Name);
    server_.AddConversation(fault.Script);
    if (fault.AbortAt) WhileWaitingFor(fault.AbortAt, [&] { mailbox_.Abort(); });

    const mailbox::ViewOutcome outcome =
        fault.Body ? mailbox_.FetchBody(fault.Msg, "", folder.Path()) : mailbox_.FetchHeader(fault.Msg, "");

    EXPECT_EQ(outcome.Session, fault.Session);
    EXPECT_FALSE(outcome.Fetched);
    EXPECT_FALSE(outcome.Gone);
    ASSERT_EQ(outcome.Failure.has_value(), fault.Failure.has_value());
    if (fault.Failure) {
      EXPECT_EQ(outcome.Failure->Short, fault.Failure->Short);
      if (!fault.Failure->Long.empty()) {
        EXPECT_EQ(outcome.Failure->Long, fault.Failure->Long);
      }
    }
    EXPECT_FALSE(mailbox_.Client().TimedOut());
    EXPECT_FALSE(mailbox_.Client().IsConnected());
    EXPECT_TRUE(server_.WaitUntilDone());
  }
  EXPECT_THAT(Numbers(), ElementsAre(2, 1));
  EXPECT_EQ(server_.ConnectionsServed(), 4);
  EXPECT_THAT(server_.Failures(), IsEmpty());
}

// A refused log-in is told through the events; the row keeps what it
// showed.
TEST_F(MailboxViewFault, AnalyseRowWithRefusedLogInKeepsTheRow) {
  server_.AddConversation(
      "S: +OK ready\n"
      "C: CAPA\n"
      "S: -ERR\n"
      "C: USER ann\n"
      "S: +OK\n"
      "C: PASS wrong\n"
      "S: -ERR no\n"
      "C: QUIT\n"
      "S: +OK bye\n");
  mailbox::MailboxSettings settings = mailbox_.Settings();
  settings.Password = "wrong";
  mailbox_.SetSettings(settings);
  mailbox_.List().AddListed(1, 100);
  mailbox_.List().SetSummary(0, mailbox::ShownText{"Old sender", ""}, std::nullopt, std::nullopt);

  mailbox_.AnalyseRow(0);

  EXPECT_EQ(events_.logInRefusals, 1);
  EXPECT_THAT(Senders(), ElementsAre("Old sender"));
  EXPECT_FALSE(mailbox_.Client().IsConnected());
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_THAT(server_.Failures(), IsEmpty());
}

}  // namespace

}  // namespace mailboxtest
