// FetchMessage against scripted servers: the faults and corner cases a real
// server does not produce, as conversations.

#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/core/DataFolder.h"
#include "platform/core/Files.h"
#include "pop3/DisplayLines.h"
#include "pop3/MessageExtraction.h"
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
  // what it raised ("" when nothing); a refusal's words go to serverText_.
  template <typename Error = std::exception>
  std::string FetchFailure(bool quit = true) {
    client().Connect();
    std::string failure;
    try {
      client().FetchMessage(1);
    } catch (const Error& error) {
      failure = error.what();
      const auto* refused = dynamic_cast<const pop3::ERefused*>(&error);
      serverText_ = refused != nullptr ? refused->ServerText() : "";
    }
    if (quit) client().Disconnect();
    return failure;
  }

  std::string Attachment(const std::string& name) { return ReadFile(home_.AttachFolder() + name); }

  fetchtest::TempHome home_;
  std::string serverText_;
  int ended_ = 0;
  bool busyAtEnd_ = false;
};

TEST_F(FetchScripted, MultipartAnswerArrivingByteByByteIsReadTheSame) {
  Expect(Retr(kMultipart, "S1:"));
  EXPECT_EQ(FetchFailure(), "");
  EXPECT_EQ(Items(client().MailMessage().Body), (Lines{"text line", "\r\nFile \"a.bin\" extracted"}));
  EXPECT_EQ(Attachment("a.bin"), "ABCD");
  EXPECT_EQ(client().MailMessage().Boundary, "XYZ12345");
}

TEST_F(FetchScripted, PeerClosingMidMessageFailsWithConnectionClosed) {
  Expect("C: RETR 1\nS: +OK\nS: Subject: cut\nS:\nS: first line\nCLOSE\n", false);
  EXPECT_EQ(FetchFailure<net::ESockError>(false), pop3::kConnectionClosedText);
  EXPECT_EQ(ended_, 1);
  EXPECT_TRUE(busyAtEnd_) << "OnRetrieveEnd runs before Busy is cleared";
  EXPECT_FALSE(client().Busy());
  EXPECT_EQ(Items(client().MailMessage().Body), Lines{"first line"});
  // Closed at once, not once the close notification has come round: the
  // session's closing Disconnect must find nothing to send QUIT on.
  EXPECT_FALSE(client().IsConnected());
}

TEST_F(FetchScripted, PeerClosingInsideTheHeaderFailsToo) {
  Expect("C: RETR 1\nS: +OK\nS: Subject: cut\nCLOSE\n", false);
  EXPECT_EQ(FetchFailure<net::ESockError>(false), pop3::kConnectionClosedText);
  EXPECT_FALSE(client().IsConnected());
}

// Attachments are written while the message arrives: one cut off by the
// connection's end is removed and reported nowhere, one complete before it
// stays.
TEST_F(FetchScripted, PeerClosingMidAttachmentLeavesOnlyCompleteFiles) {
  Expect("C: RETR 1\nS: +OK\n" +
             Send("Content-Type: multipart/mixed; boundary=b\n\n--b\n\ntext\n--b\n"
                  "Content-Disposition: attachment; filename=\"whole.txt\"\n\nwhole\n--b\n"
                  "Content-Disposition: attachment; filename=\"cut.bin\"\n"
                  "Content-Transfer-Encoding: base64\n\nQUJD") +
             "CLOSE\n",
         false);
  EXPECT_EQ(FetchFailure<net::ESockError>(false), pop3::kConnectionClosedText);
  EXPECT_EQ(Items(client().MailMessage().Attachments), Lines{"whole.txt"});
  EXPECT_EQ(fetchtest::FilesBelow(home_.AttachFolder()), Lines{"whole.txt"});
  EXPECT_EQ(Attachment("whole.txt"), "whole");
}

TEST_F(FetchScripted, HeaderWithoutEmptyLineStopsAtTheTerminator) {
  // QUIT right after: nothing past the "." line may have been read. With
  // Parse set the empty body goes through the extraction, which finds
  // nothing to take.
  client().Parse = true;
  Expect(Retr("Subject: only a header\nFrom: x@example.org"));
  EXPECT_EQ(FetchFailure(), "");
  const auto& message = client().MailMessage();
  EXPECT_EQ(Items(message.Header), (Lines{"Subject: only a header", "From: x@example.org"}));
  EXPECT_EQ(message.Subject, " only a header");
  EXPECT_TRUE(message.Body.Empty());
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
  EXPECT_NE(failure.find(home_.Root() + "/missing/a.bin"), std::string::npos) << failure;
  EXPECT_EQ(ended_, 1);
  EXPECT_EQ(Items(client().MailMessage().Body), Lines{"text line"});
}

TEST_F(FetchScripted, RefusedRetrRaisesTheReplyAndKeepsThePreviousMessage) {
  Expect(Retr(kMultipart));
  EXPECT_EQ(FetchFailure(), "");
  Expect("C: RETR 1\nS: -ERR no such message\n");
  EXPECT_EQ(FetchFailure<pop3::ERefused>(), "-ERR no such message\r\n");
  EXPECT_EQ(serverText_, "no such message");
  EXPECT_EQ(client().MailMessage().Subject, " parts");
  EXPECT_EQ(client().MailMessage().Body.Count(), 2);
  EXPECT_EQ(ended_, 2);
}

TEST_F(FetchScripted, RefusedDeleteRaisesWithTheMessageComplete) {
  client().DeleteOnRead = true;
  Expect(Retr(kMultipart) + "C: DELE 1\nS: -ERR locked\n");
  EXPECT_EQ(FetchFailure<pop3::ERefused>(), "-ERR locked\r\n");
  EXPECT_EQ(serverText_, "locked");
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

// An attachment may be named like a part file of older versions, and such
// a file of an earlier run may be in the folder. It is never emptied: the
// attachment takes a numbered name (part file names are the program's).
TEST_F(FetchScripted, PartFileNameNeverEmptiesAFileOfTheSameName) {
  const std::string taken = "Temp2.mme";
  const std::string numbered = "Temp2_1.mme";
  platform::WriteTextFile(home_.AttachFolder() + taken, "earlier");
  Expect(Retr(
      "Content-Type: multipart/mixed; boundary=\"XYZ12345\"\n\n--XYZ12345\n\nhello\n"
      "--XYZ12345\nContent-Disposition: attachment; filename=\"" + taken + "\"\n\nfirst\n"
      "--XYZ12345\nContent-Disposition: attachment; filename=\"b.txt\"\n\nsecond\n"
      "--XYZ12345\nContent-Disposition: attachment; filename=\"c.txt\"\n\nthird\n--XYZ12345--"));
  EXPECT_EQ(FetchFailure(), "");
  EXPECT_EQ(Items(client().MailMessage().Attachments), (Lines{numbered, "b.txt", "c.txt"}));
  EXPECT_EQ(Attachment(taken), "earlier");
  EXPECT_EQ(Attachment(numbered), "first");
  EXPECT_EQ(Attachment("b.txt"), "second");
  EXPECT_EQ(Attachment("c.txt"), "third");
}

// A multipart message whose attachment parts carry the given names, each
// holding the line "<name> content"; encodings alternate between Base64
// (decoded into the file) and 7bit (written as sent).
std::string NamedParts(const Lines& names) {
  std::string text = "Content-Type: multipart/mixed; boundary=\"XYZ12345\"\n\n--XYZ12345\n\nbody\n";
  for (std::size_t i = 0; i < names.size(); ++i) {
    text += "--XYZ12345\nContent-Disposition: attachment; filename=\"" + names[i] + "\"\n";
    text += i % 2 == 0 ? "\ncontent " + std::to_string(i) + "\n"
                       : "Content-Transfer-Encoding: base64\n\nQUJD\n";  // "ABC"
  }
  return text + "--XYZ12345--";
}

// Every attachment listed is a file in the folder, and the notes in Body
// name exactly those files, in order: nothing is reported placed that was
// not, or under another name than the file's.
::testing::AssertionResult ListedMeansPlaced(const pop3::TMailMessage& message, const std::string& folder) {
  Lines wanted;
  for (const std::string& name : message.Attachments) {
    if (!fetchtest::Exists(folder + name)) return ::testing::AssertionFailure() << name << " is listed, not placed";
    wanted.push_back("\r\nFile \"" + name + "\" extracted");
  }
  Lines notes;
  for (const std::string_view line : message.Body) {
    if (line.starts_with("\r\nFile \"")) notes.emplace_back(line);
  }
  if (notes != wanted) {
    return ::testing::AssertionFailure() << notes.size() << " notes for " << wanted.size() << " files, or other names";
  }
  return ::testing::AssertionSuccess();
}

TEST_F(FetchScripted, AttachmentsNeverTakeTheProgramsOwnFileNames) {
  client().OnDecodeStart = [](std::string& name) {
    if (name == "handler.txt") name = "GotMail.WAV";
  };
  const std::string partFile = "Temp1";
  // Every numbered alternative of "Pop3.Ini.a.b" keeps the settings file's
  // prefix: it is renamed from its first character on.
  Expect(Retr(NamedParts({"gotmail.wav", "POP3.INI", "temp7.MME", "pop3.ini.tmp42-0", "handler.txt",
                          partFile + ".mme", "Pop3.Ini.a.b"})));
  EXPECT_EQ(FetchFailure(), "");
  EXPECT_EQ(Items(client().MailMessage().Attachments),
            (Lines{"gotmail_1.wav", "POP3_1.INI", "temp7_1.MME", "pop3.ini_1.tmp42-0", "GotMail_1.WAV",
                   partFile + "_1.mme", "_op3.Ini.a.b"}));
  EXPECT_TRUE(ListedMeansPlaced(client().MailMessage(), home_.AttachFolder()));
  for (const std::string& file : fetchtest::FilesBelow(home_.AttachFolder())) {
    EXPECT_FALSE(platform::IsProgramFileName(file)) << file << " was written from the message";
  }
}

TEST_F(FetchScripted, OverlongNamesAreShortenedToTheFileSystemsLimit) {
  std::string accented;
  for (int i = 0; i < 125; ++i) accented += "\xC3\xA9";
  const Lines names = {std::string(300, 'n') + ".txt", accented + ".txt", std::string(400, 'x')};
  const std::size_t limit = platform::MaxFileNameBytes(home_.AttachFolder());
  // The second view finds the first one's files and numbers its own.
  for (int view = 0; view < 2; ++view) {
    Expect(Retr(NamedParts(names)));
    EXPECT_EQ(FetchFailure(), "");
    const pop3::TMailMessage& message = client().MailMessage();
    ASSERT_EQ(message.Attachments.Count(), 3);
    EXPECT_TRUE(ListedMeansPlaced(message, home_.AttachFolder()));
    for (const std::string& name : message.Attachments) {
      EXPECT_LE(name.size(), limit);
      EXPECT_EQ((static_cast<unsigned char>(name.back()) & 0xC0) == 0x80, false) << "a character was cut";
    }
    EXPECT_EQ(message.Attachments[0].substr(message.Attachments[0].size() - 4), ".txt");
    EXPECT_EQ(message.Attachments[1].substr(message.Attachments[1].size() - 4), ".txt");
    EXPECT_EQ(Attachment(message.Attachments[0]), "content 0");
    EXPECT_EQ(Attachment(message.Attachments[1]), "ABC");
  }
  EXPECT_EQ(fetchtest::FilesBelow(home_.AttachFolder()).size(), 6u);
}

// Names sent raw, as mailers write them, that would show as another name
// or be taken for an option: the files get names that show what they are,
// and the notes name the files, also when a second view numbers them.
TEST_F(FetchScripted, LyingNamesAreSavedAsWhatTheyShow) {
  const Lines names = {"invoice\u202Efdp.exe", "\u200E-rf", "report.pdf. . .", "   ",
                       "r\xC3\xA9sum\xC3\xA9 \xE2\x82.pdf", "\u0085x.txt\u2029", "\u65E5\u672C"};
  const Lines saved[] = {{"invoicefdp.exe", "_-rf", "report.pdf", "text.tmp", "r\u00E9sum\u00E9 \uFFFD.pdf",
                          "x.txt", "\u65E5\u672C"},
                         {"invoicefdp_1.exe", "_1.-rf", "report_1.pdf", "text_1.tmp",
                          "r\u00E9sum\u00E9 \uFFFD_1.pdf", "x_1.txt", "_1.\u672C"}};
  Lines files;
  for (const Lines& expected : saved) {
    Expect(Retr(NamedParts(names)));
    EXPECT_EQ(FetchFailure(), "");
    EXPECT_EQ(Items(client().MailMessage().Attachments), expected);
    EXPECT_TRUE(ListedMeansPlaced(client().MailMessage(), home_.AttachFolder()));
    EXPECT_EQ(Attachment(expected[0]), "content 0");
    EXPECT_EQ(Attachment(expected[1]), "ABC");
    files.insert(files.end(), expected.begin(), expected.end());
  }
  std::sort(files.begin(), files.end());
  EXPECT_EQ(fetchtest::FilesBelow(home_.AttachFolder()), files);
}

// Entries already in the folder, symbolic links included (dangling ones
// too), are names taken: nothing is written through them.
TEST_F(FetchScripted, SymbolicLinksInTheFolderAreNeverFollowed) {
  const std::string outside = home_.Root() + "/outside";
  platform::CreateFolder(outside);
  for (const std::string name : {"report.txt", "data.bin", "Temp1.mme"}) {
    ASSERT_EQ(::symlink((outside + "/" + name).c_str(), (home_.AttachFolder() + name).c_str()), 0);
  }
  Expect(Retr(NamedParts({"report.txt", "data.bin"})));
  EXPECT_EQ(FetchFailure(), "");
  EXPECT_EQ(Items(client().MailMessage().Attachments), (Lines{"report_1.txt", "data_1.bin"}));
  EXPECT_TRUE(ListedMeansPlaced(client().MailMessage(), home_.AttachFolder()));
  EXPECT_EQ(fetchtest::FilesBelow(outside), Lines{}) << "a file appeared outside the folder";
  EXPECT_EQ(Attachment("report_1.txt"), "content 0");
  EXPECT_EQ(Attachment("data_1.bin"), "ABC");
}

// Same-named parts get consecutive numbers, and a later view of the same
// message goes on from the numbers the first one used; the walk stops at
// the part cap and says so.
TEST_F(FetchScripted, SameNamedPartsAreNumberedUpToThePartCap) {
  std::string text = "Content-Type: multipart/mixed; boundary=\"XYZ12345\"\n\n--XYZ12345\n\nbody\n";
  for (int i = 0; i < pop3::kMaxPartsPerMessage + 5; ++i) {
    text += "--XYZ12345\nContent-Disposition: attachment; filename=\"a.txt\"\n\n" + std::to_string(i) + "\n";
  }
  Expect(Retr(text + "--XYZ12345--"));
  EXPECT_EQ(FetchFailure(), "");
  const pop3::TMailMessage& message = client().MailMessage();
  // The first part is the display text.
  ASSERT_EQ(message.Attachments.Count(), pop3::kMaxPartsPerMessage - 1);
  EXPECT_EQ(message.Attachments[0], "a.txt");
  EXPECT_EQ(message.Attachments[1], "a_1.txt");
  EXPECT_EQ(message.Attachments[pop3::kMaxPartsPerMessage - 2], "a_998.txt");
  EXPECT_EQ(message.Body[message.Body.Count() - 1], pop3::kPartsCappedNote);
  EXPECT_TRUE(ListedMeansPlaced(message, home_.AttachFolder()));
  Expect(Retr(NamedParts(Lines(3, "a.txt"))));
  EXPECT_EQ(FetchFailure(), "");
  EXPECT_EQ(Items(client().MailMessage().Attachments), (Lines{"a_999.txt", "a_1000.txt", "a_1001.txt"}));
}

// A line longer than the transport's 64 KiB buffer: the message is read
// through (the session goes on to QUIT), the display text wraps the line,
// and the attachment keeps it whole.
TEST_F(FetchScripted, OverlongLinesAreWrappedForDisplayAndKeptWholeForExtraction) {
  std::string longLine;
  while (longLine.size() < 100000) longLine += "word \xC3\xA9 ";
  Expect(Retr("Content-Type: multipart/mixed; boundary=\"XYZ12345\"\n\n--XYZ12345\n\n" + longLine +
              "\nshort\n--XYZ12345\nContent-Disposition: attachment; filename=\"long.txt\"\n\n" + longLine +
              "\n--XYZ12345--"));
  EXPECT_EQ(FetchFailure(), "");
  const pop3::TMailMessage& message = client().MailMessage();
  std::string joined;
  int pieces = 0;
  for (const std::string_view line : message.Body) {
    if (line == "short") break;
    EXPECT_LE(line.size(), pop3::kMaxDisplayLineBytes);
    EXPECT_NE(static_cast<unsigned char>(line.front()) & 0xC0, 0x80) << "a character was split";
    joined += line;
    ++pieces;
  }
  EXPECT_EQ(joined, longLine);
  EXPECT_GT(pieces, 1);
  EXPECT_EQ(Attachment("long.txt"), longLine);
}

TEST_F(FetchScripted, PartHeaderCutOffByTheEndOfTheMessageEndsTheWalk) {
  Expect(Retr("Content-Type: multipart/mixed; boundary=\"XYZ12345\"\n\n--XYZ12345\n\nbody\n--XYZ12345\n"
              "Content-Disposition: attachment; filename=\"cut.bin\""));
  EXPECT_EQ(FetchFailure(), "");
  EXPECT_EQ(Items(client().MailMessage().Body), Lines{"body"});
  EXPECT_TRUE(client().MailMessage().Attachments.Empty());
}

}  // namespace
