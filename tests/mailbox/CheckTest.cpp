// The check against the private Dovecot: the rows it lists and their
// order, what they show of each summary, the listing limit, and the walk
// over the summaries with its stop and its resumption.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "mailbox/CheckSchedule.h"
#include "tests/mailbox/MailboxTestSupport.h"
#include "tests/support/TestMessages.h"

namespace mailboxtest {

namespace {

using ::testing::ElementsAre;
using testsupport::MessageWithHeader;

// The process's local time zone, for the life of the object.
class LocalTimeZone {
 public:
  explicit LocalTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) saved_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~LocalTimeZone() {
    if (saved_) setenv("TZ", saved_->c_str(), 1);
    else unsetenv("TZ");
    tzset();
  }
  LocalTimeZone(const LocalTimeZone&) = delete;
  LocalTimeZone& operator=(const LocalTimeZone&) = delete;

 private:
  std::optional<std::string> saved_;
};

class MailboxCheck : public DovecotMailboxTest {
 protected:
  void AddNumberedMessage(int n) { testsupport::AddNumberedMessage(*account_, n); }
};

TEST_F(MailboxCheck, ListsNewestFirstAndFillsSummaries) {
  for (int n = 1; n <= 3; ++n) AddNumberedMessage(n);

  const mailbox::CheckOutcome outcome = ManualCheck();

  EXPECT_EQ(outcome.Session, mailbox::LogIn::Done);
  EXPECT_EQ(outcome.MailCount, 3);
  EXPECT_EQ(outcome.ListTotal, 3);
  EXPECT_TRUE(outcome.Listed);
  EXPECT_FALSE(outcome.Incomplete);
  EXPECT_THAT(Numbers(), ElementsAre(3, 2, 1));
  EXPECT_THAT(Senders(), ElementsAre("Sender 3", "Sender 2", "Sender 1"));
  EXPECT_THAT(Subjects(), ElementsAre("Subject 3", "Subject 2", "Subject 1"));
  EXPECT_THAT(Dates(), ElementsAre("Date 3", "Date 2", "Date 1"));
  EXPECT_EQ(List().TickedCount(), 0);
  for (int row = 0; row < List().Count(); ++row) EXPECT_FALSE(List().Row(row).UniqueId.empty()) << row;
  EXPECT_THAT(events_.statuses, ElementsAre("Working ...", "1 / 3", "2 / 3", "3 / 3"));
  EXPECT_EQ(events_.logIns, 1);
  EXPECT_TRUE(events_.NoFailureTold());
  EXPECT_FALSE(mailbox_.Client().IsConnected());
}

// A check of a mailbox emptied since the last one leaves no row behind,
// and no total.
TEST_F(MailboxCheck, EmptyMailboxAfterFullOneLeavesNoRows) {
  for (int n = 1; n <= 4; ++n) AddNumberedMessage(n);
  ASSERT_EQ(ManualCheck().ListTotal, 4);
  account_->Reset();

  const mailbox::CheckOutcome outcome = ManualCheck();

  EXPECT_EQ(outcome.Session, mailbox::LogIn::Done);
  EXPECT_EQ(outcome.MailCount, 0);
  EXPECT_FALSE(outcome.ListTotal);
  EXPECT_FALSE(outcome.Listed);
  EXPECT_TRUE(List().Empty());
}

// Most mail carries encoded words and charsets other than ASCII: the row
// shows what a person reads, in any of them.
TEST_F(MailboxCheck, ShowsEncodedSendersAndSubjectsDecoded) {
  const std::vector<std::vector<std::string>> messages = {
      {"From: =?utf-8?q?J=C3=B6rg_M=C3=BCller?= <joerg@example.de>",
       "Subject: =?utf-8?q?Gr=C3=BC=C3=9Fe_aus_M=C3=BCnchen?="},
      {"From: \"=?iso-8859-1?q?M=FCller=2C_J=F6rg?=\" <j@example.de>", "Subject: =?shift_jis?b?g2WDWINn?="},
      {"From: Hiro <hiro@example.jp>", "Subject: =?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?= #3"},
      // Folded, with the second word on the continuation line.
      {"From: =?x-unknown?q?caf=E9?= <c@example.fr>", "Subject: =?utf-8?q?Sch=C3=B6ne?=", " =?utf-8?q?_Gr=C3=BC=C3=9Fe?="},
      // Direction overrides, encoded and raw, would turn the text around.
      {"From: Eve \xE2\x81\xA7" "evil\xE2\x81\xA9 <e@example.com>", "Subject: =?utf-8?q?Invoice_=E2=80=AEfdp.exe?="},
  };
  for (const auto& headerLines : messages) account_->AddMessage(MessageWithHeader(headerLines));

  ManualCheck();

  EXPECT_THAT(Senders(), ElementsAre("Eve evil <e@example.com>", "caf\xC3\xA9 <c@example.fr>", "Hiro <hiro@example.jp>",
                                     "\"M\xC3\xBCller, J\xC3\xB6rg\" <j@example.de>",
                                     "J\xC3\xB6rg M\xC3\xBCller <joerg@example.de>"));
  EXPECT_THAT(Subjects(), ElementsAre("Invoice fdp.exe", "Sch\xC3\xB6ne Gr\xC3\xBC\xC3\x9F" "e",
                                      "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88 #3",
                                      "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88",
                                      "Gr\xC3\xBC\xC3\x9F" "e aus M\xC3\xBCnchen"));
  // The column cuts a long subject: its tooltip shows it whole.
  EXPECT_EQ(Hints(&mailbox::MessageRow::Subject), Subjects());
}

// The date a row shows: complete, in the local zone, for every form of
// Date: header mail carries; the header as sent is its tooltip, and what
// cannot be read shows as it came.
TEST_F(MailboxCheck, DateShowsCompleteLocalDateAndTime) {
  struct DateRow {
    const char* Header;
    const char* Shown;
  };
  const DateRow rows[] = {
      {"Mon, 07 Dec 2026 10:31:00 +0100", "07.12.26 10:31"},
      {"Mon, 7 Dec 2026 10:31 +0100", "07.12.26 10:31"},
      {"7 Dec 26 09:31:59 GMT", "07.12.26 10:31"},
      {"Mon, 07 Dec 2026 04:31:00 EST", "07.12.26 10:31"},
      {"Mon, 07 Dec 2026 01:31:00 PST", "07.12.26 10:31"},
      {"Mon, 07 Dec 2026 10:31:00 +0100 (CET)", "07.12.26 10:31"},
      {"Mon, 07 Dec 2026 09:31:00 -0000", "07.12.26 10:31"},
      {"Mon, 7 Dec 2026 15:01:00 +0530", "07.12.26 10:31"},
      {"Sun, 6 Dec 98 23:59 -0800", "07.12.98 08:59"},
      {"Mon Dec  7 09:31:00 2026", "07.12.26 10:31"},
      {"Tue, 7 Jul 2026 10:31:00 +0200", "07.07.26 10:31"},
      {"Mon, 07 Dec 2026 10:31:00 UT", "07.12.26 11:31"},
      {"last Monday", "last Monday"},
      {"Mon, 31 Feb 2026 10:31 +0000", "Mon, 31 Feb 2026 10:31 +0000"},
  };
  LocalTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
  std::vector<std::string> shown, sent;
  for (const DateRow& row : rows) {
    account_->AddMessage(MessageWithHeader({"From: A", "Subject: S", std::string("Date: ") + row.Header}));
    shown.insert(shown.begin(), row.Shown);
    sent.insert(sent.begin(), row.Header);
  }

  ManualCheck();

  EXPECT_EQ(Dates(), shown);
  EXPECT_EQ(Hints(&mailbox::MessageRow::Date), sent);
}

TEST_F(MailboxCheck, DateTakenFromFirstOccurrenceEvenInsideAnotherName) {
  account_->AddMessage(MessageWithHeader({"Delivery-Date: Tue, 2 Jan 2024 08:00:00 +0000", "From:Ann",
                                          "Subject: Mixed", "Date: Wed, 3 Jan 2024 09:00:00 +0000"}));
  account_->AddMessage(MessageWithHeader({"from: lower case only", "SUBJECT: Upper label", "DATE: Thu"}));
  LocalTimeZone zone("UTC0");

  ManualCheck();

  // The date shows in local time; its tooltip keeps it as sent.
  EXPECT_THAT(Dates(), ElementsAre("Thu", "02.01.24 08:00"));
  EXPECT_EQ(List().Row(1).Date.Hint, "Tue, 2 Jan 2024 08:00:00 +0000");
  EXPECT_THAT(Senders(), ElementsAre("", "nn"));
  EXPECT_THAT(Subjects(), ElementsAre("Upper label", "Mixed"));
}

TEST_F(MailboxCheck, WithoutSummariesListsSizesOnly) {
  std::vector<std::int32_t> sizes;
  for (int n = 1; n <= 3; ++n)
    sizes.insert(sizes.begin(), static_cast<std::int32_t>(testsupport::AddNumberedMessage(*account_, n)));
  sizes.insert(sizes.begin(), static_cast<std::int32_t>(account_->AddMessage(
                                  MessageWithHeader({"From: Long", "Subject: " + std::string(300, 'x')}))));

  const mailbox::CheckOutcome outcome = Check({false, true, 0});

  EXPECT_THAT(Numbers(), ElementsAre(4, 3, 2, 1));
  EXPECT_EQ(Sizes(), sizes);
  for (int row = 0; row < List().Count(); ++row) EXPECT_FALSE(List().Row(row).ShowsSummary()) << row;
  EXPECT_EQ(outcome.ListTotal, 4);
  EXPECT_THAT(events_.statuses, ElementsAre("Working ..."));
  EXPECT_FALSE(mailbox_.Client().IsConnected());
}

// Message 2's header is past the summary caps, which costs the connection
// mid-answer: the automatic and the manual check both go on in a new
// session (the server's UIDL shows the mailbox unchanged) and fill the rows
// of messages 1 and 3.
TEST_F(MailboxCheck, HeaderPastTheCapsCostsOnlyItsOwnRow) {
  std::vector<std::string> flood{"From: Flood"};
  for (int i = 0; i < pop3::TPop3Client::kMaxHeaderLines; ++i) flood.push_back("X-Spam: " + std::to_string(i));
  AddNumberedMessage(1);
  account_->AddMessage(MessageWithHeader(flood));
  AddNumberedMessage(3);

  for (bool manual : {false, true}) {
    const mailbox::CheckOutcome outcome = Check({true, manual, 0});
    EXPECT_THAT(Senders(), ElementsAre("Sender 3", "", "Sender 1")) << manual;
    EXPECT_FALSE(outcome.Incomplete) << manual;
    EXPECT_FALSE(mailbox_.Client().IsConnected()) << manual;
  }
}

TEST_F(MailboxCheck, ListingLimitKeepsFirstListedMessages) {
  for (int n = 1; n <= 5; ++n) AddNumberedMessage(n);

  const mailbox::CheckOutcome outcome = Check({true, true, 2});

  EXPECT_THAT(Numbers(), ElementsAre(2, 1));
  EXPECT_THAT(Senders(), ElementsAre("Sender 2", "Sender 1"));
  EXPECT_EQ(outcome.MailCount, 5);
  EXPECT_EQ(outcome.ListTotal, 1);
  EXPECT_FALSE(outcome.Incomplete);
  EXPECT_EQ(events_.statuses.back(), "2 / 1");
}

TEST_F(MailboxCheck, StopRequestEndsSummaryWalkAfterCurrentRow) {
  for (int n = 1; n <= 3; ++n) AddNumberedMessage(n);
  // The request comes while the first summary is being fetched.
  int summariesStarted = 0;
  mailbox_.Client().OnRetrieveStart = [&](platform::TComponent*) { ++summariesStarted; };
  events_.stop = [&] { return summariesStarted > 0; };

  ManualCheck();

  EXPECT_EQ(summariesStarted, 1);
  EXPECT_THAT(Senders(), ElementsAre("Sender 3", "", ""));
  EXPECT_EQ(events_.statuses.back(), "1 / 3");
  EXPECT_FALSE(mailbox_.Client().IsConnected());
}

TEST_F(MailboxCheck, ServerGivenByHostNameAndPort) {
  AddNumberedMessage(1);
  mailbox::MailboxSettings settings = mailbox_.Settings();
  settings.Server = "localhost:" + std::to_string(server_->Port());
  mailbox_.SetSettings(settings);

  const mailbox::CheckOutcome outcome = ManualCheck();

  EXPECT_EQ(outcome.Session, mailbox::LogIn::Done);
  EXPECT_THAT(Senders(), ElementsAre("Sender 1"));
  EXPECT_TRUE(events_.NoFailureTold());
}

TEST_F(MailboxCheck, WrongPasswordIsRefusedAndStopsTheWatch) {
  AddNumberedMessage(1);
  mailbox::MailboxSettings settings = mailbox_.Settings();
  settings.Password = "not-the-password";
  mailbox_.SetSettings(settings);

  const mailbox::CheckOutcome outcome = ManualCheck();

  EXPECT_EQ(outcome.Session, mailbox::LogIn::Refused);
  EXPECT_FALSE(outcome.Unreached);
  EXPECT_EQ(mailbox::JudgeForWatch(outcome), mailbox::WatchVerdict::Stop);
  EXPECT_EQ(events_.logInRefusals, 1);
  EXPECT_EQ(events_.logIns, 0);
  EXPECT_TRUE(List().Empty());
  EXPECT_FALSE(mailbox_.Client().IsConnected());
}

}  // namespace

}  // namespace mailboxtest
