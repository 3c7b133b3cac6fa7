// Header lines as the extractor reads them: recognised fields, the boundary
// trimming, transfer encoding and file names, and their inheritance.

#include <string>

#include <gtest/gtest.h>

#include "pop3/MimeExtractor.h"
#include "pop3/Pop3Client.h"

namespace {

using pop3::TrimmedBoundary;

TEST(TrimmedBoundary, QuotedValueKeepsAllButItsLastTwoCharacters) {
  EXPECT_EQ(TrimmedBoundary("\"XYZ12345\""), "XYZ123");
  EXPECT_EQ(TrimmedBoundary("\"===============123==\""), "===============123");
}

TEST(TrimmedBoundary, UnquotedValueLosesItsFirstAndLastThreeCharacters) {
  EXPECT_EQ(TrimmedBoundary("simple-boundary"), "imple-bound");
  EXPECT_EQ(TrimmedBoundary("abcd"), "");
}

TEST(TrimmedBoundary, SynchronousIdleStartLosesOnlyTwoCharacters) {
  EXPECT_EQ(TrimmedBoundary("\x16" "abcd"), "\x16" "ab");
  EXPECT_EQ(TrimmedBoundary("\x16" "a"), "");
}

TEST(TrimmedBoundary, ValuesTooShortForTheTrimmingBecomeEmpty) {
  for (const std::string value : {"", "a", "ab", "abc", "\"\"", "\x16", "\x16" "a"}) {
    EXPECT_EQ(TrimmedBoundary(value), "") << "for " << value;
  }
}

class MimeHeader : public ::testing::Test {
 protected:
  bool Take(const std::string& line) { return extractor_.TakeHeaderLine(line, client_.MailMessage()); }

  pop3::TPop3Client client_;
  pop3::TMimeExtractor extractor_{client_};
};

TEST_F(MimeHeader, FieldValuesStartAtFixedColumns) {
  // Only the subject keeps the blank after its colon.
  Take("Subject: Hello there");
  Take("FROM: Ann <ann@example.org>");
  Take("content-type: text/plain");
  Take("Message-ID: <1@x>");
  const auto& message = client_.MailMessage();
  EXPECT_EQ(message.Subject, " Hello there");
  EXPECT_EQ(message.From, "Ann <ann@example.org>");
  EXPECT_EQ(message.ContentType, "text/plain");
  EXPECT_EQ(message.MessageId, "<1@x>");
}

TEST_F(MimeHeader, FieldNeedsABlankAfterItsColon) {
  Take("Subject:NoBlank");
  Take("X-Subject: other");
  EXPECT_EQ(client_.MailMessage().Subject, "");
}

TEST_F(MimeHeader, ValuesAreCutAt256Characters) {
  Take("Subject: " + std::string(400, 'x'));
  Take("Content-Transfer-Encoding: " + std::string(300, 'y'));
  EXPECT_EQ(client_.MailMessage().Subject.size(), 256u);
  EXPECT_EQ(client_.Encoding.size(), 256u);
}

TEST_F(MimeHeader, MainHeaderLinesAreKeptUntilTheEmptyLine) {
  client_.PartState = 2;
  EXPECT_FALSE(Take("Subject: a"));
  EXPECT_TRUE(Take(""));
  extractor_.EndHeader();
  EXPECT_EQ(client_.PartState, 1);
  EXPECT_EQ(client_.MailMessage().Header.Items(), (std::vector<std::string>{"Subject: a", ""}));
  client_.PartState = 0;
  Take("Subject: b");
  extractor_.EndHeader();
  EXPECT_EQ(client_.PartState, 0);
  EXPECT_EQ(client_.MailMessage().Header.Count(), 2);
  EXPECT_EQ(client_.MailMessage().Subject, " b");
}

TEST_F(MimeHeader, BoundaryFoundAnywhereInTheLine) {
  Take(" BOUNDARY=\"XYZ12345\"");
  EXPECT_EQ(client_.MailMessage().Boundary, "XYZ123");
  Take("Content-Type: multipart/mixed; boundary=\"ab\"");
  EXPECT_EQ(client_.MailMessage().Boundary, "");
}

TEST_F(MimeHeader, EncodingAndNameCarryOverToLaterParts) {
  Take("Content-Transfer-Encoding: base64");
  Take("Content-Disposition: attachment; filename=\"a.txt\"");
  EXPECT_EQ(client_.Encoding, "base64");
  EXPECT_EQ(client_.AttachName, "a.txt");
  Take("Content-Type: text/plain");
  EXPECT_EQ(client_.Encoding, "base64");
  EXPECT_EQ(client_.AttachName, "a.txt");
  // Any line holding NAME sets the name, to nothing when it has no quotes.
  Take("X-Hostname: mail.example.org");
  EXPECT_EQ(client_.AttachName, "");
  Take("Content-Type: application/octet-stream; name=\"unterminated");
  EXPECT_EQ(client_.AttachName, "unterminated");
}

}  // namespace
