// Header lines as the retrieval reads them: recognised fields of the main
// header, part headers (names, encodings), transfer encodings and what
// makes a part an attachment.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "pop3/MainHeader.h"
#include "pop3/MimePartHeader.h"

namespace {

using pop3::ParsePartHeader;
using Lines = std::vector<std::string>;

TEST(ParsePartHeader, FoldedFieldsAnyCaseFirstOccurrence) {
  const Lines lines = {"Content-Type: application/pdf;", "\tname=report.pdf", "content-transfer-encoding:  Base64 ",
                       "Content-Disposition: ATTACHMENT; filename=\"a b.pdf\"", "Content-Type: text/plain"};
  const pop3::PartHeader header = ParsePartHeader(lines, 0, lines.size(), "text/plain");
  EXPECT_EQ(header.type, "application/pdf");
  EXPECT_EQ(header.encoding, "base64");
  EXPECT_EQ(header.disposition, "attachment");
  EXPECT_TRUE(header.hasFileName);
  EXPECT_EQ(header.fileName, "a b.pdf");  // the disposition's filename wins over name
}

TEST(ParsePartHeader, NameFromTheTypeAndDefaultsWithout) {
  const Lines named = {"Content-Type: image/gif; name=x.gif", "X-Other: name=\"no.txt\""};
  const pop3::PartHeader gif = ParsePartHeader(named, 0, named.size(), "text/plain");
  EXPECT_EQ(gif.fileName, "x.gif");
  EXPECT_EQ(gif.encoding, "");
  const Lines bare = {"Content-Type: garbage", "Subject: filename=\"no.txt\""};
  const pop3::PartHeader text = ParsePartHeader(bare, 0, bare.size(), "message/rfc822");
  EXPECT_EQ(text.type, "message/rfc822");
  EXPECT_FALSE(text.hasFileName);
  EXPECT_EQ(text.fileName, "");
}

// Names come as text in UTF-8: encoded words, RFC 2231 forms and 8-bit
// Latin-1 decoded; the boundary stays as sent.
TEST(ParsePartHeader, NamesDecodedBoundaryAsSent) {
  const Lines encoded = {"Content-Type: application/pdf; name=\"=?utf-8?B?w6l0w6kucGRm?=\""};
  EXPECT_EQ(ParsePartHeader(encoded, 0, 1, "text/plain").fileName, "\xC3\xA9t\xC3\xA9.pdf");
  const Lines extended = {"Content-Disposition: attachment; filename*=utf-8''%C3%A9.txt"};
  EXPECT_EQ(ParsePartHeader(extended, 0, 1, "text/plain").fileName, "\xC3\xA9.txt");
  const Lines latin1 = {"Content-Disposition: attachment; filename=\"caf\xE9.txt\""};
  EXPECT_EQ(ParsePartHeader(latin1, 0, 1, "text/plain").fileName, "caf\xC3\xA9.txt");
  const Lines boundary = {"Content-Type: multipart/mixed; boundary*=iso-8859-1''%E9%20x"};
  EXPECT_EQ(ParsePartHeader(boundary, 0, 1, "text/plain").boundary, "\xE9 x");
}

TEST(IsAttachment, DispositionNameOrNonText) {
  pop3::PartHeader header;
  header.type = "text/plain";
  EXPECT_FALSE(pop3::IsAttachment(header));
  header.type = "text/html";
  EXPECT_FALSE(pop3::IsAttachment(header));
  header.type = "multipart/mixed";
  EXPECT_FALSE(pop3::IsAttachment(header));
  for (const char* type : {"image/png", "application/pdf", "audio/basic", "video/mp4", "message/rfc822"}) {
    header.type = type;
    EXPECT_TRUE(pop3::IsAttachment(header)) << type;
  }
  header.type = "text/plain";
  header.disposition = "attachment";
  EXPECT_TRUE(pop3::IsAttachment(header));
  header.disposition = "inline";
  header.hasFileName = true;
  EXPECT_TRUE(pop3::IsAttachment(header));
}

TEST(TransferCodingOf, NamesInAnyCaseWithBlanks) {
  using pop3::TransferCoding;
  EXPECT_EQ(pop3::TransferCodingOf(" BASE64 "), TransferCoding::Base64);
  EXPECT_EQ(pop3::TransferCodingOf("Quoted-Printable"), TransferCoding::QuotedPrintable);
  for (const char* uu : {"x-uuencode", "X-UUENCODE", "x-uue", "uuencode", "UUE"}) {
    EXPECT_EQ(pop3::TransferCodingOf(uu), TransferCoding::UU) << uu;
  }
  for (const char* sent : {"", "7bit", "8bit", "binary", "base9000", "x-gzip64"}) {
    EXPECT_EQ(pop3::TransferCodingOf(sent), TransferCoding::AsSent) << sent;
  }
}

class MimeHeader : public ::testing::Test {
 protected:
  bool Take(const std::string& line) { return reader_.TakeLine(line); }

  pop3::TMailMessage message_;
  pop3::MainHeaderReader reader_{message_};
};

TEST_F(MimeHeader, FieldValuesStartAtFixedColumns) {
  // Only the subject keeps the blank after its colon.
  Take("Subject: Hello there");
  Take("FROM: Ann <ann@example.org>");
  Take("content-type: text/plain");
  Take("Message-ID: <1@x>");
  const auto& message = message_;
  EXPECT_EQ(message.Subject, " Hello there");
  EXPECT_EQ(message.From, "Ann <ann@example.org>");
  EXPECT_EQ(message.ContentType, "text/plain");
  EXPECT_EQ(message.MessageId, "<1@x>");
}

TEST_F(MimeHeader, FieldNeedsABlankAfterItsColon) {
  Take("Subject:NoBlank");
  Take("X-Subject: other");
  EXPECT_EQ(message_.Subject, "");
}

TEST_F(MimeHeader, ValuesAreCutAt256Characters) {
  Take("Subject: " + std::string(400, 'x'));
  Take("Content-Transfer-Encoding: " + std::string(300, 'y'));
  EXPECT_EQ(message_.Subject.size(), 256u);
  EXPECT_EQ(reader_.Encoding().size(), 256u);
}

TEST_F(MimeHeader, MainHeaderLinesAreKeptUntilTheEmptyLine) {
  EXPECT_FALSE(Take("Subject: a"));
  EXPECT_TRUE(Take(""));
  EXPECT_EQ(message_.Header.Items(), (std::vector<std::string>{"Subject: a", ""}));
  // A part's header is noted, but is no line of the main header.
  pop3::NoteMessageField(message_, "Subject: b");
  EXPECT_EQ(message_.Header.Count(), 2);
  EXPECT_EQ(message_.Subject, " b");
}

TEST_F(MimeHeader, MainHeaderGivesTheExactBoundary) {
  Take("Content-Type: multipart/mixed;");
  Take(" boundary=\"XYZ12345\"");
  Take("");
  EXPECT_EQ(reader_.Parsed().boundary, "XYZ12345");
  EXPECT_EQ(reader_.Parsed().type, "multipart/mixed");
}

TEST_F(MimeHeader, EncodingAndNameCarryOverToLaterParts) {
  Take("Content-Transfer-Encoding: base64");
  Take("Content-Disposition: attachment; filename=\"a.txt\"");
  EXPECT_EQ(reader_.Encoding(), "base64");
  EXPECT_EQ(reader_.AttachName(), "a.txt");
  Take("Content-Type: text/plain");
  EXPECT_EQ(reader_.Encoding(), "base64");
  EXPECT_EQ(reader_.AttachName(), "a.txt");
  // Any line holding NAME sets the name, to nothing when it has no quotes.
  Take("X-Hostname: mail.example.org");
  EXPECT_EQ(reader_.AttachName(), "");
  Take("Content-Type: application/octet-stream; name=\"unterminated");
  EXPECT_EQ(reader_.AttachName(), "unterminated");
}

}  // namespace
