#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/DataFolder.h"
#include "platform/gui/Application.h"
#include "platform/testing/TestAccess.h"
#include "tests/app/FormTest.h"
#include "tests/app/SettingsTestSupport.h"
#include "tests/support/SpecialEntry.h"

namespace apptest {

namespace {

namespace access = platform::test_access;
using ::testing::ElementsAre;

class CheckCycle : public DovecotFormTest {};

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

TEST_F(CheckCycle, ListsNewestFirstAndFillsSummaries) {
  for (int n = 1; n <= 3; ++n) AddNumberedMessage(n);
  EnterMailboxAccount();
  ASSERT_TRUE(Form().CheckBox5->Checked());
  Form().SetApplicationTitle(app::kAlertApplicationTitle);

  ClickCheck();

  EXPECT_THAT(Column(5), ElementsAre("3", "2", "1"));
  EXPECT_THAT(Column(1), ElementsAre("Sender 3", "Sender 2", "Sender 1"));
  EXPECT_THAT(Column(2), ElementsAre("Subject 3", "Subject 2", "Subject 1"));
  EXPECT_THAT(Column(3), ElementsAre("Date 3", "Date 2", "Date 1"));
  for (int row = 0; row < 3; ++row) {
    EXPECT_TRUE(Form().StringGrid1->HasCheckBox(0, row));
    EXPECT_FALSE(Form().StringGrid1->CheckBoxState(0, row));
  }
  EXPECT_EQ(Form().Label5->Text(), "3 / 3");
  EXPECT_EQ(Form().CheckButton->Hint(), "3");
  EXPECT_EQ(platform::Application::Title(), app::kApplicationTitle);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(WindowRestored());
  EXPECT_FALSE(Form().POP3->IsConnected());
}

// Most mail carries encoded words and charsets other than ASCII: the row
// shows what a person reads, in any of them.
TEST_F(CheckCycle, ShowsEncodedSendersAndSubjectsDecoded) {
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
  for (const auto& headerLines : messages) Mail().AddMessage(Message(headerLines));
  EnterMailboxAccount();

  ClickCheck();

  EXPECT_THAT(Column(1), ElementsAre("Eve evil <e@example.com>", "caf\xC3\xA9 <c@example.fr>", "Hiro <hiro@example.jp>",
                                     "\"M\xC3\xBCller, J\xC3\xB6rg\" <j@example.de>",
                                     "J\xC3\xB6rg M\xC3\xBCller <joerg@example.de>"));
  EXPECT_THAT(Column(2), ElementsAre("Invoice fdp.exe", "Sch\xC3\xB6ne Gr\xC3\xBC\xC3\x9F" "e",
                                     "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88 #3",
                                     "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88",
                                     "Gr\xC3\xBC\xC3\x9F" "e aus M\xC3\xBCnchen"));
  EXPECT_EQ(Form().StringGrid1->CellHint(2, 1), Column(2)[1]) << "the cut subject shows whole as the tooltip";
  EXPECT_EQ(Form().StringGrid1->CellHint(2, 0), "Invoice fdp.exe");
  EXPECT_TRUE(WindowRestored());

  platform::test_access::DoubleClickCell(*Form().StringGrid1, 0, 1);
  ASSERT_TRUE(Form().Memo1->Visible());
  EXPECT_THAT(Form().Memo1->Text(), ::testing::HasSubstr("Subject: Invoice fdp.exe\r\n"));
  EXPECT_THAT(Form().Memo1->Text(), ::testing::HasSubstr("From: Eve evil <e@example.com>\r\n"));
}

// The list's date column: complete, in the local zone, for every form of
// Date: header mail carries; the header as sent is the cell's tooltip, and
// what cannot be read shows as it came.
TEST_F(CheckCycle, DateColumnShowsCompleteLocalDateAndTime) {
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
    Mail().AddMessage(Message({"From: A", "Subject: S", std::string("Date: ") + row.Header}));
    shown.insert(shown.begin(), row.Shown);
    sent.insert(sent.begin(), row.Header);
  }
  EnterMailboxAccount();

  ClickCheck();

  EXPECT_EQ(Column(3), shown);
  std::vector<std::string> hints;
  for (int row = 0; row < Form().StringGrid1->RowCount(); ++row) hints.push_back(Form().StringGrid1->CellHint(3, row));
  EXPECT_EQ(hints, sent);

  // A date that could be read is drawn whole, at the design size and in the
  // smallest window (columns and font shrink with it).
  access::ShowWindow(*Form().Window);
  for (auto [width, height] : {std::pair{631, 452}, std::pair{400, 300}}) {
    access::Resize(*Form().Window, width, height);
    for (int row = 0; row < Form().StringGrid1->RowCount(); ++row) {
      if (Column(3)[row] == sent[row]) continue;
      EXPECT_FALSE(access::CellTextCut(*Form().StringGrid1, row, 3)) << Column(3)[row] << " at " << width << "x" << height;
    }
  }
}

TEST_F(CheckCycle, WithoutAnalyseListsSizesOnly) {
  std::vector<std::string> sizes;
  for (int n = 1; n <= 3; ++n) sizes.insert(sizes.begin(), std::to_string(AddNumberedMessage(n)));
  sizes.insert(sizes.begin(),
               std::to_string(Mail().AddMessage(Message({"From: Long", "Subject: " + std::string(300, 'x')}))));
  EnterMailboxAccount();
  access::Click(*Form().CheckBox5);
  ASSERT_FALSE(Form().CheckBox5->Checked());

  ClickCheck();

  EXPECT_THAT(Column(5), ElementsAre("4", "3", "2", "1"));
  EXPECT_EQ(Column(4), sizes);
  for (int col = 1; col <= 3; ++col) EXPECT_THAT(Column(col), ElementsAre("", "", "", "")) << "column " << col;
  EXPECT_EQ(Form().CheckButton->Hint(), "4");
  EXPECT_TRUE(WindowRestored());
}

// Message 2's header is past the summary caps, which costs the connection
// mid-answer: the automatic and the manual check both go on in a new
// session (the server's UIDL shows the mailbox unchanged) and fill the rows
// of messages 1 and 3.
TEST_F(CheckCycle, HeaderPastTheCapsCostsOnlyItsOwnRow) {
  std::vector<std::string> flood{"From: Flood"};
  for (int i = 0; i < pop3::TPop3Client::kMaxHeaderLines; ++i) flood.push_back("X-Spam: " + std::to_string(i));
  AddNumberedMessage(1);
  Mail().AddMessage(Message(flood));
  AddNumberedMessage(3);
  EnterMailboxAccount();

  Form().CheckBox2->SetChecked(true);
  Form().Timer1Timer();
  EXPECT_THAT(Column(1), ElementsAre("Sender 3", "", "Sender 1"));
  ClickCheck();
  EXPECT_THAT(Column(1), ElementsAre("Sender 3", "", "Sender 1"));
  EXPECT_TRUE(WindowRestored());
  EXPECT_FALSE(Form().POP3->IsConnected());
}

TEST_F(CheckCycle, ListingLimitKeepsFirstListedMessages) {
  for (int n = 1; n <= 5; ++n) AddNumberedMessage(n);
  EnterMailboxAccount();
  Form().FetchLimit = 2;

  ClickCheck();

  EXPECT_THAT(Column(5), ElementsAre("2", "1"));
  EXPECT_THAT(Column(1), ElementsAre("Sender 2", "Sender 1"));
  EXPECT_EQ(Form().ListTotal, 1);
  EXPECT_EQ(Form().Label5->Text(), "2 / 1");
  EXPECT_EQ(Form().CheckButton->Hint(), "1");
}

TEST_F(CheckCycle, KeyPressEndsSummaryLoopAfterCurrentRow) {
  for (int n = 1; n <= 3; ++n) AddNumberedMessage(n);
  EnterMailboxAccount();
  // The key arrives while the first summary is being fetched.
  int summariesStarted = 0;
  Form().POP3->OnRetrieveStart = [&](platform::TComponent*) {
    if (++summariesStarted == 1) access::KeyPress(*Form().Window, 'x');
  };

  ClickCheck();

  EXPECT_EQ(summariesStarted, 1);
  EXPECT_THAT(Column(1), ElementsAre("Sender 3", "", ""));
  EXPECT_EQ(Form().Label5->Text(), "1 / 3");
  EXPECT_FALSE(Form().POP3->IsConnected());
  EXPECT_TRUE(WindowRestored());
}

TEST_F(CheckCycle, DateTakenFromFirstOccurrenceEvenInsideAnotherName) {
  Mail().AddMessage(Message({"Delivery-Date: Tue, 2 Jan 2024 08:00:00 +0000", "From:Ann",
                             "Subject: Mixed", "Date: Wed, 3 Jan 2024 09:00:00 +0000"}));
  Mail().AddMessage(Message({"from: lower case only", "SUBJECT: Upper label", "DATE: Thu"}));
  EnterMailboxAccount();
  LocalTimeZone zone("UTC0");

  ClickCheck();

  // The date shows in local time; the cell's tooltip keeps it as sent.
  EXPECT_THAT(Column(3), ElementsAre("Thu", "02.01.24 08:00"));
  EXPECT_EQ(Form().StringGrid1->CellHint(3, 1), "Tue, 2 Jan 2024 08:00:00 +0000");
  EXPECT_THAT(Column(1), ElementsAre("", "nn"));
  EXPECT_THAT(Column(2), ElementsAre("Upper label", "Mixed"));
}

TEST_F(CheckCycle, EmptyMailboxAfterFullOneKeepsOldHint) {
  for (int n = 1; n <= 4; ++n) AddNumberedMessage(n);
  EnterMailboxAccount();
  ClickCheck();
  ASSERT_EQ(Form().CheckButton->Hint(), "4");
  Mail().Reset();

  ClickCheck();

  EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre("You Have No Mail !"));
  EXPECT_EQ(Form().StringGrid1->RowCount(), 1);
  EXPECT_THAT(Column(5), ElementsAre(""));
  EXPECT_FALSE(Form().StringGrid1->HasCheckBox(0, 0));
  EXPECT_EQ(Form().CheckButton->Hint(), "4");
  EXPECT_TRUE(WindowRestored());
}

TEST_F(CheckCycle, ServerGivenByHostNameAndPort) {
  AddNumberedMessage(1);
  EnterMailboxAccount();
  std::string text = ServerText();
  access::TypeText(*Form().IPedit, "localhost" + text.substr(text.rfind(':')));

  ClickCheck();

  EXPECT_THAT(Column(1), ElementsAre("Sender 1"));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(CheckCycle, WrongPasswordShowsOneBoxAndStopsAutoCheck) {
  AddNumberedMessage(1);
  EnterMailboxAccount();
  access::TypeText(*Form().PasswordEdit, "not-the-password");
  access::Click(*Form().CheckBox2);
  ASSERT_TRUE(Form().CheckBox2->Checked());

  ClickCheck();

  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].Kind, BoxKind::Information);
  EXPECT_EQ(Boxes()[0].Text, "User Name / Password INVALID !");
  EXPECT_EQ(Boxes()[0].Caption, app::kApplicationTitle);
  EXPECT_FALSE(Form().CheckBox2->Checked());
  EXPECT_THAT(Column(5), ElementsAre(""));
  EXPECT_TRUE(WindowRestored());
}

TEST_F(CheckCycle, SoundPlaysOncePerCheckWhenEnabled) {
  AddNumberedMessage(1);
  EnterMailboxAccount();
  Form().SoundAvailable = true;
  WriteWaveFile();
  Form().WavePlayer1->SetFileName(platform::WaveFilePath());

  ClickCheck();
  EXPECT_EQ(access::PlayCount(*Form().WavePlayer1), 0) << "\"Sound\" is not ticked";

  access::Click(*Form().CheckBox3);
  ClickCheck();
  EXPECT_EQ(access::PlayCount(*Form().WavePlayer1), 1);

  // A named pipe put in the wave file's place is never handed to the sound
  // system, which would wait on it for ever.
  std::filesystem::remove(platform::WaveFilePath());
  testsupport::SpecialEntry pipe(testsupport::SpecialEntry::Kind::Fifo, platform::WaveFilePath());
  ClickCheck();
  EXPECT_EQ(access::PlayCount(*Form().WavePlayer1), 1);
}

}  // namespace

}  // namespace apptest
