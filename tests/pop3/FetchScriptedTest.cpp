// FetchMessage against scripted servers: the faults and corner cases a real
// server does not produce, as conversations.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "pop3/MimeExtractor.h"
#include "pop3/Pop3Client.h"
#include "tests/pop3/FetchTestSupport.h"
#include "tests/pop3/ScriptedClientTest.h"

namespace {

using fetchtest::Items;
using fetchtest::ReadFile;
using Lines = std::vector<std::string>;

// "S:" steps for every line of text ('\n' separated), all in one packet, or
// one byte at a time ("S1:").
std::string Send(const std::string& text, const char* tag = "S:") {
  std::string script;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    script += std::string(tag) + " " + text.substr(start, end - start) + "\n";
    start = end + 1;
  }
  return script;
}

// A multipart message: a text part, then an attachment a.bin in Base64
// ("ABCD" encodes as QUJDRA==).
const std::string kMultipart =
    "Subject: parts\n"
    "Content-Type: multipart/mixed; boundary=\"XYZ12345\"\n"
    "\n"
    "preamble\n"
    "--XYZ12345\n"
    "Content-Type: text/plain\n"
    "\n"
    "text line\n"
    "--XYZ12345\n"
    "Content-Transfer-Encoding: base64\n"
    "Content-Disposition: attachment; filename=\"a.bin\"\n"
    "\n"
    "QUJDRA==\n"
    "--XYZ12345--\n"
    "epilogue\n";

class FetchScripted : public pop3test::ScriptedClientTest {
 protected:
  void SetUp() override {
    ScriptedClientTest::SetUp();
    client().SetAttachFilePath(home_.Root() + "/pop3");
    client().OnRetrieveEnd = [this](platform::TComponent*) {
      ++ended_;
      busyAtEnd_ = client().Busy();
    };
  }

  // RETR 1 answered with the message and the terminating line.
  static std::string Retr(const std::string& message, const char* tag = "S:") {
    return "C: RETR 1\nS: +OK message follows\n" + Send(message, tag) + tag + " .\n";
  }

  // Runs FetchMessage(1) in a session of its own and returns the text of
  // what it raised ("" when nothing).
  template <typename Error = std::exception>
  std::string FetchFailure(bool quit = true) {
    client().Connect();
    std::string failure;
    try {
      client().FetchMessage(1);
    } catch (const Error& error) {
      failure = error.what();
    }
    if (quit) client().Disconnect();
    return failure;
  }

  std::string Attachment(const std::string& name) { return ReadFile(home_.AttachFolder() + name); }

  fetchtest::TempHome home_;
  int ended_ = 0;
  bool busyAtEnd_ = false;
};

TEST_F(FetchScripted, MultipartAnswerArrivingByteByByteIsReadTheSame) {
  Expect(Retr(kMultipart, "S1:"));
  EXPECT_EQ(FetchFailure(), "");
  EXPECT_EQ(Items(client().MailMessage().Body), (Lines{"text line", "\r\nFile \"a.bin\" extracted"}));
  EXPECT_EQ(Attachment("a.bin"), "ABCD");
  EXPECT_EQ(client().MailMessage().Boundary, "XYZ12345");
  EXPECT_EQ(Items(client().MailMessage().RawLines).back(), "epilogue");
}

TEST_F(FetchScripted, PeerClosingMidMessageFailsWithConnectionClosed) {
  Expect("C: RETR 1\nS: +OK\nS: Subject: cut\nS:\nS: first line\nCLOSE\n", false);
  EXPECT_EQ(FetchFailure<net::ESockError>(false), pop3::kConnectionClosedText);
  EXPECT_EQ(ended_, 1);
  EXPECT_TRUE(busyAtEnd_) << "OnRetrieveEnd runs before Busy is cleared";
  EXPECT_FALSE(client().Busy());
  EXPECT_EQ(Items(client().MailMessage().RawLines), Lines{"first line"});
  // Closed at once, not once the close notification has come round: the
  // session's closing Disconnect must find nothing to send QUIT on.
  EXPECT_FALSE(client().IsConnected());
}

TEST_F(FetchScripted, PeerClosingInsideTheHeaderFailsToo) {
  Expect("C: RETR 1\nS: +OK\nS: Subject: cut\nCLOSE\n", false);
  EXPECT_EQ(FetchFailure<net::ESockError>(false), pop3::kConnectionClosedText);
  EXPECT_FALSE(client().IsConnected());
}

TEST_F(FetchScripted, HeaderWithoutEmptyLineStopsAtTheTerminator) {
  // QUIT right after: nothing past the "." line may have been read. With
  // Parse set the empty body goes through the extractor, which finds
  // nothing to take and leaves PartState alone.
  client().Parse = true;
  Expect(Retr("Subject: only a header\nFrom: x@example.org"));
  EXPECT_EQ(FetchFailure(), "");
  const auto& message = client().MailMessage();
  EXPECT_EQ(Items(message.Header), (Lines{"Subject: only a header", "From: x@example.org"}));
  EXPECT_EQ(message.Subject, " only a header");
  EXPECT_TRUE(message.RawLines.Empty());
  EXPECT_TRUE(message.Body.Empty());
  EXPECT_EQ(client().PartState, 1);
}

// Short boundaries are boundaries like any other; a multipart the walk
// cannot split is shown as it came instead of being refused.
TEST_F(FetchScripted, ShortBoundariesSplitAndAnEmptyOneShowsTheText) {
  for (const std::string boundary : {"ab", "\"ab\""}) {
    Expect(Retr("Content-Type: multipart/mixed; boundary=" + boundary + "\n\n--ab\n\ntext\n--ab--"));
    EXPECT_EQ(FetchFailure(), "") << boundary;
    EXPECT_EQ(client().MailMessage().Boundary, "ab");
    EXPECT_EQ(Items(client().MailMessage().Body), Lines{"text"}) << boundary;
  }
  Expect(Retr("Content-Type: multipart/mixed; boundary=\"\"\n\n--ab\n\ntext\n--ab--"));
  EXPECT_EQ(FetchFailure(), "");
  EXPECT_EQ(client().MailMessage().Boundary, "");
  EXPECT_EQ(Items(client().MailMessage().Body), (Lines{"--ab", "", "text", "--ab--"}));
}

TEST_F(FetchScripted, MultipartWithoutAnyDelimiterLineIsShownAsText) {
  Expect(Retr("Content-Type: multipart/mixed; boundary=\"XYZ12345\"\n\njust text\nmore text"));
  EXPECT_EQ(FetchFailure(), "");
  EXPECT_EQ(Items(client().MailMessage().Body), (Lines{"just text", "more text"}));
  EXPECT_TRUE(client().MailMessage().Attachments.Empty());
  EXPECT_EQ(ended_, 1);
  EXPECT_FALSE(client().Busy());
}

TEST_F(FetchScripted, Base64SinglePartWithEmptyBodyFailsWithListIndexError) {
  client().Parse = true;
  Expect(Retr("Subject: empty\nContent-Transfer-Encoding: base64\n\n"));
  EXPECT_EQ(FetchFailure<pop3::EListError>(), "List index out of bounds (0)");
}

TEST_F(FetchScripted, NulAndLineBreaksInNamesAreDropped) {
  Expect("C: RETR 1\nS: +OK\n" + Send("Content-Type: multipart/mixed; boundary=\"XYZ12345\"\n\n--XYZ12345\n\nt") +
         "S: --XYZ12345\n"
         "RAW: Content-Disposition: attachment; filename=\"a\\x00b\\r.txt\"\\r\\n\\r\\n\n"
         "S: one\nS: --XYZ12345\n"
         "RAW: Content-Disposition: attachment; filename=\"..\\\\\\x00\\r\"\\r\\n\\r\\n\n"
         "S: two\nS: --XYZ12345--\nS: .\n");
  EXPECT_EQ(FetchFailure(), "");
  EXPECT_EQ(Items(client().MailMessage().Attachments), (Lines{"ab.txt", "text.tmp"}));
  EXPECT_EQ(Attachment("ab.txt"), "one");
  EXPECT_EQ(Attachment("text.tmp"), "two");
}

TEST_F(FetchScripted, DecodeStartHandlerMayRenameButNotLeaveTheFolder) {
  Lines offered;
  client().OnDecodeStart = [&](std::string& name) {
    offered.push_back(name);
    name = "../../escaped.bin";
  };
  Expect(Retr(kMultipart));
  EXPECT_EQ(FetchFailure(), "");
  EXPECT_EQ(offered, Lines{"a.bin"});
  EXPECT_EQ(Items(client().MailMessage().Attachments), Lines{"escaped.bin"});
  EXPECT_EQ(Attachment("escaped.bin"), "ABCD");
  EXPECT_FALSE(fetchtest::Exists(home_.Root() + "/../escaped.bin"));
}

TEST_F(FetchScripted, MissingAttachmentFolderRaisesTheFileError) {
  client().SetAttachFilePath(home_.Root() + "/missing");
  Expect(Retr(kMultipart));
  const std::string failure = FetchFailure<platform::EFileError>();
  EXPECT_NE(failure.find(home_.Root() + "/missing/Temp"), std::string::npos) << failure;
  EXPECT_EQ(ended_, 1);
  EXPECT_EQ(Items(client().MailMessage().Body), Lines{"text line"});
}

TEST_F(FetchScripted, RefusedRetrRaisesTheReplyAndKeepsThePreviousMessage) {
  Expect(Retr(kMultipart));
  EXPECT_EQ(FetchFailure(), "");
  Expect("C: RETR 1\nS: -ERR no such message\n");
  EXPECT_EQ(FetchFailure(), "-ERR no such message\r\n");
  EXPECT_EQ(client().MailMessage().Subject, " parts");
  EXPECT_EQ(client().MailMessage().Body.Count(), 2);
  EXPECT_EQ(ended_, 2);
}

TEST_F(FetchScripted, RefusedDeleteRaisesWithTheMessageComplete) {
  client().DeleteOnRead = true;
  Expect(Retr(kMultipart) + "C: DELE 1\nS: -ERR locked\n");
  EXPECT_EQ(FetchFailure(), "-ERR locked\r\n");
  EXPECT_EQ(Items(client().MailMessage().Attachments), Lines{"a.bin"});
  EXPECT_EQ(ended_, 1);
}

TEST_F(FetchScripted, FetchWhileBusyReturnsAtOnce) {
  client().OnRetrieveStart = [this](platform::TComponent*) { client().FetchMessage(2); };
  Expect(Retr(kMultipart));
  EXPECT_EQ(FetchFailure(), "");
  EXPECT_EQ(server_.CountReceived("RETR"), 1);
  EXPECT_EQ(ended_, 1);
}

TEST_F(FetchScripted, NotConnectedRaisesWithoutRetrievalEvents) {
  int started = 0;
  client().OnRetrieveStart = [&](platform::TComponent*) { ++started; };
  std::string failure;
  try {
    client().FetchMessage(1);
  } catch (const platform::Exception& error) {
    failure = error.what();
  }
  EXPECT_EQ(failure, "Not Connected");
  EXPECT_EQ(started, 0);
  EXPECT_EQ(ended_, 0);
  EXPECT_FALSE(client().Busy());
}

TEST_F(FetchScripted, NestedMultipartIsDescendedUnderTheOuterBoundary) {
  Expect(Retr(
      "Content-Type: multipart/mixed; boundary=\"OUTER123\"\n\n--OUTER123\n\nbody\n--OUTER123\n"
      "Content-Type: multipart/alternative; boundary=\"INNER456\"\n\n"
      "--INNER456\n\nalt one\n--INNER456\n"
      "Content-Type: application/octet-stream; name=inner.bin\nContent-Transfer-Encoding: base64\n\nQUJD\n"
      "--INNER456--\n--OUTER123\nContent-Type: image/gif\nContent-Transfer-Encoding: base64\n\nR0lG\n"
      "--OUTER123--"));
  EXPECT_EQ(FetchFailure(), "");
  EXPECT_EQ(client().MailMessage().Boundary, "OUTER123");
  // The first text is shown; the second, an alternative of nothing shown, is
  // not written.
  EXPECT_EQ(Items(client().MailMessage().Attachments), (Lines{"inner.bin", "text.tmp"}));
  EXPECT_EQ(Items(client().MailMessage().Body),
            (Lines{"body", "\r\nFile \"inner.bin\" extracted", "\r\nFile \"text.tmp\" extracted"}));
  EXPECT_EQ(Attachment("inner.bin"), "ABC");
  EXPECT_EQ(Attachment("text.tmp"), "GIF");
}

// Each part's own header decides its encoding: a part without one is 7bit
// and saved as sent, never decoded by the encoding of the part before it.
TEST_F(FetchScripted, PartWithoutEncodingLineIsSavedAsSent) {
  Expect(Retr(
      "Content-Type: multipart/mixed; boundary=\"XYZ12345\"\n\n--XYZ12345\n\nbody\n--XYZ12345\n"
      "Content-Transfer-Encoding: base64\nContent-Disposition: attachment; filename=\"a.bin\"\n\nQUJD\n"
      "--XYZ12345\nContent-Disposition: attachment; filename=\"b.bin\"\n\nWFla\n--XYZ12345--"));
  EXPECT_EQ(FetchFailure(), "");
  EXPECT_EQ(Attachment("a.bin"), "ABC");
  EXPECT_EQ(Attachment("b.bin"), "WFla");
}

TEST_F(FetchScripted, EmptyAttachmentPartGivesAnEmptyFile) {
  Expect(Retr(
      "Content-Type: multipart/mixed; boundary=\"XYZ12345\"\n\n--XYZ12345\n\nbody\n--XYZ12345\n"
      "Content-Disposition: attachment; filename=\"none.bin\"\n\n--XYZ12345--"));
  EXPECT_EQ(FetchFailure(), "");
  EXPECT_EQ(Items(client().MailMessage().Attachments), Lines{"none.bin"});
  EXPECT_EQ(Items(client().MailMessage().Body), (Lines{"body", "\r\nFile \"none.bin\" extracted"}));
  EXPECT_TRUE(fetchtest::Exists(home_.AttachFolder() + "none.bin"));
  EXPECT_EQ(Attachment("none.bin"), "");
  EXPECT_EQ(fetchtest::TempFiles(home_.AttachFolder()), Lines{});
}

// A file sent alone is saved like an attachment part; the display text,
// when it comes after an attachment, is still what Body starts with.
TEST_F(FetchScripted, SinglePartFileAndAttachmentBeforeTheTextAreExtracted) {
  Expect(Retr("Content-Type: application/pdf; name=alone.pdf\n\n%PDF-1.4\n%%EOF"));
  EXPECT_EQ(FetchFailure(), "");
  EXPECT_EQ(Items(client().MailMessage().Attachments), Lines{"alone.pdf"});
  EXPECT_EQ(Items(client().MailMessage().Body), Lines{"\r\nFile \"alone.pdf\" extracted"});
  EXPECT_EQ(Attachment("alone.pdf"), "%PDF-1.4\r\n%%EOF\r\n");

  Expect(Retr("Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: image/png\n\npng\n"
              "--b\nContent-Type: text/html\n\n<b>html</b>\n--b\nContent-Type: text/plain\n\nplain\n--b--"));
  EXPECT_EQ(FetchFailure(), "");
  EXPECT_EQ(Items(client().MailMessage().Body), (Lines{"plain", "\r\nFile \"text.tmp\" extracted"}));
  EXPECT_EQ(Attachment("text.tmp"), "png");
}

// An attachment may be named like a temporary part file. The part after it
// must get a temporary file of another name: creating one under the taken
// name would empty the attachment saved just before.
TEST_F(FetchScripted, TemporaryPartFileNeverEmptiesAnAttachmentOfTheSameName) {
  const int temp = pop3::TempCounter;
  // The first attachment goes through Temp<temp+1>.mme and is saved under
  // the name the next part's temporary file would get.
  const std::string taken = "Temp" + std::to_string(temp + 2) + ".mme";
  Expect(Retr(
      "Content-Type: multipart/mixed; boundary=\"XYZ12345\"\n\n--XYZ12345\n\nhello\n"
      "--XYZ12345\nContent-Disposition: attachment; filename=\"" + taken + "\"\n\nfirst\n"
      "--XYZ12345\nContent-Disposition: attachment; filename=\"b.txt\"\n\nsecond\n"
      "--XYZ12345\nContent-Disposition: attachment; filename=\"c.txt\"\n\nthird\n--XYZ12345--"));
  EXPECT_EQ(FetchFailure(), "");
  EXPECT_EQ(Items(client().MailMessage().Attachments), (Lines{taken, "b.txt", "c.txt"}));
  EXPECT_EQ(Attachment(taken), "first");
  EXPECT_EQ(Attachment("b.txt"), "second");
  EXPECT_EQ(Attachment("c.txt"), "third");
}

TEST_F(FetchScripted, PartHeaderCutOffByTheEndOfTheMessageEndsTheWalk) {
  Expect(Retr("Content-Type: multipart/mixed; boundary=\"XYZ12345\"\n\n--XYZ12345\n\nbody\n--XYZ12345\n"
              "Content-Disposition: attachment; filename=\"cut.bin\""));
  EXPECT_EQ(FetchFailure(), "");
  EXPECT_EQ(Items(client().MailMessage().Body), Lines{"body"});
  EXPECT_TRUE(client().MailMessage().Attachments.Empty());
}

}  // namespace
