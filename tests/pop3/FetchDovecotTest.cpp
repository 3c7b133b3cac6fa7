// FetchMessage against the private Dovecot instance, with messages written
// by Python's email package (tests/pop3/make_fetch_messages.py).

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "pop3/MessageExtraction.h"
#include "pop3/Pop3Client.h"
#include "tests/pop3/FetchTestSupport.h"
#include "tests/support/Pop3TestServer.h"

namespace {

using fetchtest::Exists;
using fetchtest::Items;
using fetchtest::Original;
using fetchtest::ReadFile;
using Lines = std::vector<std::string>;

const Lines kTextPart = {"Hello Alice,", "", "see the attachments.", ""};

std::string Note(const std::string& name) { return "\r\nFile \"" + name + "\" extracted"; }

class FetchDovecot : public testsupport::DovecotTest {
 protected:
  void SetUp() override {
    DovecotTest::SetUp();
    if (IsSkipped()) return;
    client_.Host = server_->Address();
    client_.Port = server_->Port();
    client_.UserID = mailbox_->User();
    client_.Password = mailbox_->Password();
    client_.SetAttachFilePath(home_.Root() + "/pop3");
    client_.ReportLevel = 1;
    client_.OnStatus = [this](platform::TComponent*, const std::string& status) { statuses_.push_back(status); };
  }

  // One session: log in, RETR number, QUIT.
  void Fetch(int number = 1) {
    client_.Connect();
    statuses_.clear();
    client_.FetchMessage(number);
    client_.Disconnect();
  }

  int CountStatus(const std::string& status) const {
    int count = 0;
    for (const auto& s : statuses_) count += s == status ? 1 : 0;
    return count;
  }

  std::string Attachment(const std::string& name) const { return ReadFile(home_.AttachFolder() + name); }

  fetchtest::TempHome home_;
  pop3::TPop3Client client_;
  std::vector<std::string> statuses_;
};

TEST_F(FetchDovecot, TextPartThenTwoBase64AttachmentsDecoded) {
  mailbox_->AddMessage(fetchtest::Message("two"));
  int started = 0;
  int ended = 0;
  int packets = 0;
  Lines announced;
  client_.OnRetrieveStart = [&](platform::TComponent*) { ++started; };
  client_.OnRetrieveEnd = [&](platform::TComponent*) { ++ended; };
  client_.OnPacketRecvd = [&](platform::TComponent*) { ++packets; };
  client_.OnDecodeStart = [&](std::string& name) { announced.push_back(name); };
  Fetch();

  const auto& message = client_.MailMessage();
  Lines body = kTextPart;
  body.push_back(Note("a.txt"));
  body.push_back(Note("b.zip"));
  EXPECT_EQ(Items(message.Body), body);
  EXPECT_EQ(Items(message.Attachments), (Lines{"a.txt", "b.zip"}));
  EXPECT_EQ(announced, (Lines{"a.txt", "b.zip"}));
  EXPECT_EQ(Attachment("a.txt"), Original("two", "a.txt"));
  EXPECT_EQ(Attachment("b.zip"), Original("two", "b.zip"));
  // Decoded while the message was read: nothing else was written.
  EXPECT_EQ(fetchtest::FilesBelow(home_.AttachFolder()), (Lines{"a.txt", "b.zip"}));

  EXPECT_EQ(message.Subject, " two attachments");
  EXPECT_EQ(message.From, "Sender <sender@example.org>");
  EXPECT_EQ(message.MessageId, "<two-attachments@fetch-test.invalid>");
  EXPECT_EQ(message.Boundary.find("==============="), 0u);
  // The last Content-Type seen is the one of the last part.
  EXPECT_EQ(message.ContentType, "application/zip");
  ASSERT_GT(message.Header.Count(), 5);
  EXPECT_EQ(message.Header.Get(0), "From: Sender <sender@example.org>");
  EXPECT_EQ(message.Header.Get(message.Header.Count() - 1), "");

  EXPECT_EQ(started, 1);
  EXPECT_EQ(ended, 1);
  EXPECT_GT(packets, 1000);
  EXPECT_EQ(client_.BytesRecvd, packets);
  EXPECT_EQ(CountStatus("Extracting file"), 3);
  EXPECT_EQ(CountStatus("Decoding file"), 2);
  EXPECT_EQ(CountStatus("Message Retrieved"), 1);
  EXPECT_FALSE(client_.Busy());
}

TEST_F(FetchDovecot, SameNameThreeTimesTakesTheNextFreeNumbers) {
  mailbox_->AddMessage(fetchtest::Message("same"));
  Fetch();
  EXPECT_EQ(Items(client_.MailMessage().Attachments), (Lines{"a.txt", "a_1.txt", "a_2.txt"}));
  Fetch();
  EXPECT_EQ(Items(client_.MailMessage().Attachments), (Lines{"a_3.txt", "a_4.txt", "a_5.txt"}));
  const Lines written = {"a.txt", "a_1.txt", "a_2.txt", "a_3.txt", "a_4.txt", "a_5.txt"};
  for (std::size_t i = 0; i < written.size(); ++i) {
    EXPECT_EQ(Attachment(written[i]), Original("same", "a" + std::to_string(i % 3))) << written[i];
  }
}

TEST_F(FetchDovecot, NameWithoutDotIsNumberedInItsExtension) {
  mailbox_->AddMessage(fetchtest::Message("readme"));
  Fetch();
  Fetch();
  EXPECT_EQ(Items(client_.MailMessage().Attachments), (Lines{"_1.EADME"}));
  EXPECT_EQ(Attachment("README"), Original("readme", "README"));
  EXPECT_EQ(Attachment("_1.EADME"), Original("readme", "README"));
}

TEST_F(FetchDovecot, PartsWithoutNamesBecomeTextTmp) {
  mailbox_->AddMessage(fetchtest::Message("unnamed"));
  Fetch();
  EXPECT_EQ(Items(client_.MailMessage().Attachments), (Lines{"text.tmp", "text_1.tmp"}));
  EXPECT_EQ(Attachment("text.tmp"), Original("unnamed", "part0"));
  EXPECT_EQ(Attachment("text_1.tmp"), Original("unnamed", "part1"));
}

TEST_F(FetchDovecot, UuencodeIsDecodedInAnyLetterCase) {
  mailbox_->AddMessage(fetchtest::Message("uu"));
  Fetch();
  EXPECT_EQ(Items(client_.MailMessage().Attachments), (Lines{"upper.bin", "lower.bin", "dotted.bin"}));
  EXPECT_EQ(Attachment("upper.bin"), Original("uu", "upper.bin"));
  EXPECT_EQ(Attachment("lower.bin"), Original("uu", "lower.bin"));
  // The last line of this one starts with a dot, which the server doubled.
  EXPECT_EQ(Attachment("dotted.bin"), Original("uu", "dotted.bin"));
  EXPECT_EQ(CountStatus("Decoding file"), 3);
}

// 7bit is saved as sent, without a line end of its own after the last
// line; quoted-printable is decoded.
TEST_F(FetchDovecot, SevenBitSavedAsSentQuotedPrintableDecoded) {
  mailbox_->AddMessage(fetchtest::Message("plain"));
  Fetch();
  EXPECT_EQ(Items(client_.MailMessage().Attachments), (Lines{"seven.txt", "qp.txt"}));
  EXPECT_EQ(Attachment("seven.txt"), "first line\r\nsecond line\r\n");
  EXPECT_EQ(Attachment("qp.txt"), "caf\xC3\xA9 = coffee\r\n");
  EXPECT_EQ(CountStatus("Decoding file"), 1);
  EXPECT_EQ(fetchtest::FilesBelow(home_.AttachFolder()), (Lines{"qp.txt", "seven.txt"}));
}

// A decode that fails (here no file may grow once the first decode starts,
// so the decoded attachment cannot be written, also for root) removes the
// attachment it was writing; the session goes on to its end.
TEST_F(FetchDovecot, FailedDecodeLeavesNoHalfWrittenFile) {
  mailbox_->AddMessage(fetchtest::Message("two"));
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  client_.OnDecodeStart = [saved](std::string&) {
    rlimit none = saved;
    none.rlim_cur = 0;
    ::setrlimit(RLIMIT_FSIZE, &none);
  };
  client_.Connect();

  EXPECT_THROW(client_.FetchMessage(1), platform::EFileError);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_TRUE(client_.IsConnected());
  client_.Disconnect();
  EXPECT_EQ(fetchtest::FilesBelow(home_.AttachFolder()), Lines{});
  EXPECT_TRUE(client_.MailMessage().Attachments.Empty());
}

TEST_F(FetchDovecot, LastPartWithoutClosingDelimiterRunsToTheEnd) {
  mailbox_->AddMessage(fetchtest::Message("noclose"));
  Fetch();
  EXPECT_EQ(Items(client_.MailMessage().Attachments), (Lines{"tail.bin"}));
  EXPECT_EQ(Attachment("tail.bin"), Original("noclose", "tail.bin"));
}

TEST_F(FetchDovecot, SinglePartWithoutParseShowsTheRawLines) {
  mailbox_->AddMessage(fetchtest::Message("single"));
  int packets = 0;
  client_.OnPacketRecvd = [&](platform::TComponent*) { ++packets; };
  Fetch();
  const auto& message = client_.MailMessage();
  const Lines expected = {"line one", ".line two", "", "line four"};
  EXPECT_EQ(Items(message.Body), expected);
  EXPECT_EQ(client_.BytesRecvd, 0);
  EXPECT_EQ(packets, 0);

  client_.Parse = true;
  Fetch();
  EXPECT_EQ(Items(message.Body), expected);
  EXPECT_EQ(client_.BytesRecvd, 4);
  EXPECT_EQ(packets, 4);
  EXPECT_EQ(fetchtest::FilesBelow(home_.AttachFolder()), Lines{});
  EXPECT_TRUE(message.Attachments.Empty());
}

TEST_F(FetchDovecot, SinglePartBase64WithParseShowsTheDecodedText) {
  mailbox_->AddMessage(fetchtest::Message("single64"));
  Fetch();
  EXPECT_EQ(Items(client_.MailMessage().Body), (Lines{"ZGVjb2RlZCBvbmUNCmRlY29kZWQgdHdvDQo="}));
  EXPECT_TRUE(client_.MailMessage().Attachments.Empty());

  client_.Parse = true;
  Fetch();
  EXPECT_EQ(Items(client_.MailMessage().Body), (Lines{"decoded one", "decoded two"}));
  EXPECT_EQ(Items(client_.MailMessage().Attachments), (Lines{"text.tmp"}));
  EXPECT_EQ(Attachment("text.tmp"), Original("single64", "body"));
}

TEST_F(FetchDovecot, HostileNamesNeverLeaveTheAttachmentFolder) {
  mailbox_->AddMessage(fetchtest::Message("hostile"));
  // Deep enough that "../../up.txt" would still land inside the home.
  const std::string deep = home_.Root() + "/a/b/pop3";
  std::filesystem::create_directories(deep);
  client_.SetAttachFilePath(deep);
  const auto outside = fetchtest::FilesBelow(fetchtest::MessageFolder());
  Fetch();
  EXPECT_EQ(Items(client_.MailMessage().Attachments),
            (Lines{"up.txt", "abs.txt", "dos.txt", "text.tmp", "drive.txt"}));
  for (const std::string& file : fetchtest::FilesBelow(home_.Root())) {
    EXPECT_EQ(file.rfind("a/b/pop3/", 0), 0u) << file << " written outside the attachment folder";
  }
  EXPECT_EQ(fetchtest::FilesBelow(fetchtest::MessageFolder()), outside);
}

// Invisible characters, an option, blanks, a hidden extension, a program
// file behind a zero-width space, and a raw UTF-8 name cut short: each
// file gets a name that shows what it is, and its note names that file.
TEST_F(FetchDovecot, LyingNamesAreSavedAsWhatTheyShow) {
  mailbox_->AddMessage(fetchtest::Message("lying"));
  Fetch();
  const Lines saved = {"invoicefdp.exe", "_-rf",   "text.tmp", "report.pdf",
                       "pop3_1.ini",     "ab.txt", "caf\u00E9-men\u00FC-\uFFFD"};
  EXPECT_EQ(Items(client_.MailMessage().Attachments), saved);
  Lines notes;
  for (std::size_t i = 0; i < saved.size(); ++i) {
    notes.push_back(Note(saved[i]));
    EXPECT_EQ(Attachment(saved[i]), Original("lying", "part" + std::to_string(i))) << saved[i];
  }
  const Lines body = Items(client_.MailMessage().Body);
  ASSERT_GE(body.size(), notes.size());
  EXPECT_EQ(Lines(body.end() - static_cast<std::ptrdiff_t>(notes.size()), body.end()), notes);
  Lines sorted = saved;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(fetchtest::FilesBelow(home_.AttachFolder()), sorted);
}

TEST_F(FetchDovecot, DeleteOnReadRemovesTheMessageFromTheServer) {
  mailbox_->AddMessage(fetchtest::Message("single"));
  mailbox_->AddMessage(fetchtest::Message("readme"));
  client_.DeleteOnRead = true;
  Fetch(2);
  EXPECT_EQ(client_.MailMessage().Subject, " readme");
  client_.Connect();
  EXPECT_EQ(client_.MailCount(), 1);
  client_.Disconnect();
}

}  // namespace
