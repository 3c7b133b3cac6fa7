#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/gui/Cursor.h"
#include "platform/core/DataFolder.h"
#include "platform/core/Files.h"
#include "platform/testing/TestAccess.h"
#include "tests/app/FormTest.h"
#include "tests/support/NonRegularEntry.h"
#include "tests/support/TestMessages.h"

namespace apptest {

namespace {

namespace access = platform::test_access;
namespace script = platform::dialog_script;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testsupport::kReportMessage;

constexpr char kEscape = 27;

class Viewer : public DovecotFormTest {
 protected:
  // Lists the mailbox with a manual check.
  void CheckMailbox(bool analyse = true) {
    if (Form().CheckBox5->Checked() != analyse) access::Click(*Form().CheckBox5);
    EnterMailboxAccount();
    ClickCheck();
  }
  void DoubleClickRow(int row) { access::DoubleClickCell(*Form().StringGrid1, row, 2); }
  void DoubleClickViewer() { access::DoubleClick(*Form().Memo1); }

  // Lists a one-message mailbox and opens the body view of that message.
  void OpenBodyView(const std::string& message) {
    Mail().AddMessage(message);
    CheckMailbox();
    DoubleClickRow(0);
    ASSERT_EQ(Form().ViewerMessage, 1);
    DoubleClickViewer();
    ASSERT_EQ(Form().Label5->Text(), "Body - ESC to close");
    script::Reset();
  }

  std::vector<std::vector<std::string>> ListCells() {
    std::vector<std::vector<std::string>> cells;
    for (int col = 0; col < 6; ++col) cells.push_back(Column(col));
    return cells;
  }

  // The viewer is closed and the window is as a finished command leaves it.
  ::testing::AssertionResult ViewerClosed() {
    app::TForm1& f = Form();
    if (f.Memo1->Visible() || !f.StringGrid1->Visible()) return ::testing::AssertionFailure() << "viewer still shown";
    if (f.ViewerFetch) return ::testing::AssertionFailure() << "ViewerFetch still set";
    return WindowRestored();
  }

  // The viewer is open with the given caption and the auto-check stopped.
  ::testing::AssertionResult ViewerOpen(const std::string& caption) {
    app::TForm1& f = Form();
    if (!f.Memo1->Visible() || f.StringGrid1->Visible()) return ::testing::AssertionFailure() << "viewer not shown";
    if (!f.Label5->Visible() || f.Label5->Text() != caption)
      return ::testing::AssertionFailure() << "status label shows '" << f.Label5->Text() << "'";
    if (!f.ViewerFetch) return ::testing::AssertionFailure() << "ViewerFetch not set";
    if (f.Timer1->Enabled()) return ::testing::AssertionFailure() << "auto-check timer runs under the viewer";
    if (!f.CheckButton->Enabled() || !f.DeleteButton->Enabled() || !f.ExitButton->Enabled())
      return ::testing::AssertionFailure() << "a button is still disabled";
    if (platform::ScreenCursor() != platform::CursorShape::Default)
      return ::testing::AssertionFailure() << "hourglass cursor still shown";
    return ::testing::AssertionSuccess();
  }
};

TEST_F(Viewer, HeaderViewShowsSummary) {
  Mail().AddMessage(Message({"From: Ann", "Subject: Three lines", "Date: Today"}));
  Mail().AddMessage(Message({"From: Bob", "Subject: Other", "Date: Later"}));
  CheckMailbox(false);

  DoubleClickRow(1);

  EXPECT_TRUE(ViewerOpen("Header - ESC to close"));
  EXPECT_EQ(Form().Memo1->Text(), "From: Ann\r\nSubject: Three lines\r\nDate: Today\r\n\r\n.\r\n");
  EXPECT_EQ(access::ShownText(*Form().Memo1), "From: Ann\nSubject: Three lines\nDate: Today\n\n.\n");
  EXPECT_TRUE(Form().Memo1->Focused());
  EXPECT_EQ(Form().ViewerMessage, 1);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Viewer, BodyViewPlacesAttachmentInDataFolder) {
  Mail().AddMessage(kReportMessage);
  CheckMailbox();
  DoubleClickRow(0);

  DoubleClickViewer();

  EXPECT_TRUE(ViewerOpen("Body - ESC to close"));
  EXPECT_EQ(Form().Memo1->Text(),
            "Hello Bob,\r\nthe report is attached.\r\n\r\n\r\nFile \"report.bin\" extracted\r\n");
  EXPECT_EQ(Form().ViewerMessage, 0);
  EXPECT_THAT(BoxTexts(BoxKind::Information),
              ElementsAre("Attachment(s) Placed In " + platform::DataFolder() + " !"));
  EXPECT_THAT(platform::DataFolder(), HasSubstr("/pop3"));
  EXPECT_TRUE(platform::FileExists(platform::DataFolderFile("report.bin")));
}

TEST_F(Viewer, BodyWithoutAttachmentShowsNoBox) {
  OpenBodyView(Message({"From: Ann", "Subject: Plain"}));

  EXPECT_EQ(Form().Memo1->Text(), "Hello,\r\nthis is the body.\r\n");
  EXPECT_TRUE(Boxes().empty());
}

// The header view decodes the fields that carry encoded words or 8-bit
// text, each on one line; other lines stay as they came.
TEST_F(Viewer, HeaderViewShowsEncodedFieldsDecoded) {
  Mail().AddMessage(Message({"From: =?utf-8?q?J=C3=B6rg_M=C3=BCller?= <joerg@example.de>",
                             "Subject: =?iso-8859-1?q?Gr=FC=DFe?=", " =?utf-8?b?5pel5pys?=",
                             "X-Raw: caf\xE9", "Received: by example.de;", " Mon, 7 Dec 2026 10:31:00 +0100"}));
  CheckMailbox(false);

  DoubleClickRow(0);

  EXPECT_EQ(Form().Memo1->Text(),
            "From: J\xC3\xB6rg M\xC3\xBCller <joerg@example.de>\r\n"
            "Subject: Gr\xC3\xBC\xC3\x9F" "e\xE6\x97\xA5\xE6\x9C\xAC\r\n"
            "X-Raw: caf\xC3\xA9\r\n"
            "Received: by example.de;\r\n Mon, 7 Dec 2026 10:31:00 +0100\r\n\r\n.\r\n");
}

// Direction overrides, encoded and raw, would turn the text around: the
// header view drops them, as the list does.
TEST_F(Viewer, HeaderViewShowsNoDirectionOverrides) {
  Mail().AddMessage(Message({"From: Eve \xE2\x81\xA7" "evil\xE2\x81\xA9 <e@example.com>",
                             "Subject: =?utf-8?q?Invoice_=E2=80=AEfdp.exe?="}));
  CheckMailbox();

  DoubleClickRow(0);

  ASSERT_TRUE(ViewerOpen("Header - ESC to close"));
  EXPECT_THAT(Form().Memo1->Text(), HasSubstr("Subject: Invoice fdp.exe\r\n"));
  EXPECT_THAT(Form().Memo1->Text(), HasSubstr("From: Eve evil <e@example.com>\r\n"));
}

// text in Base64, in lines of 76 characters.
std::string Base64Lines(const std::string& text) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string encoded;
  for (std::size_t i = 0; i < text.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, text.size() - i);
    unsigned group = 0;
    for (std::size_t k = 0; k < 3; ++k) group = group << 8 | (k < n ? static_cast<unsigned char>(text[i + k]) : 0u);
    for (std::size_t k = 0; k < 4; ++k) encoded += k <= n ? kAlphabet[group >> (18 - 6 * k) & 63] : '=';
  }
  std::string lines;
  for (std::size_t i = 0; i < encoded.size(); i += 76) lines += encoded.substr(i, 76) + "\r\n";
  return lines;
}

// The body view shows the display text decoded from its transfer encoding
// and in its charset, simple HTML as plain text, and still the notes of the
// attachments saved; the file saved holds what is shown, in UTF-8.
TEST_F(Viewer, BodyViewShowsTextDecodedInItsCharset) {
  struct BodyRow {
    const char* Name;
    std::string Message;
    std::string Shown;
  };
  const std::string mixedHead = "Content-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n--b1\r\n";
  // Longer than one read of the decoder (256 KiB), so that its reads end
  // inside lines.
  std::string longText;
  for (int line = 0; line < 12000; ++line) longText += "line " + std::to_string(line) + ": caf\xC3\xA9 au lait\r\n";
  const std::vector<BodyRow> rows = {
      {"quoted-printable ISO-8859-1",
       "Subject: QP\r\nContent-Type: text/plain; charset=\"ISO-8859-1\"\r\n"
       "Content-Transfer-Encoding: quoted-printable\r\n\r\nGr=FC=DFe aus M=FCn=\r\nchen =3D ok\r\n",
       "Gr\xC3\xBC\xC3\x9F" "e aus M\xC3\xBCnchen = ok\r\n"},
      {"Base64 UTF-8",
       "Subject: B\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: base64\r\n\r\n"
       "SGVsbG8gV8O2cmxkCnNlY29uZCBsaW5lCg==\r\n",
       "Hello W\xC3\xB6rld\r\nsecond line\r\n"},
      {"Base64 UTF-8 over many lines",
       "Subject: L\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
           Base64Lines(longText),
       longText},
      {"Shift_JIS, 8bit", "Subject: J\r\nContent-Type: text/plain; charset=Shift_JIS\r\n\r\n\x83\x65\x83\x58\x83\x67\r\n",
       "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88\r\n"},
      {"ISO-2022-JP", "Subject: J\r\nContent-Type: text/plain; charset=iso-2022-jp\r\n\r\n\x1B$B%F%9%H\x1B(B\r\n",
       "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88\r\n"},
      {"unknown charset", "Subject: U\r\nContent-Type: text/plain; charset=x-klingon\r\n\r\ncaf\xE9\r\n",
       "caf\xC3\xA9\r\n"},
      {"quoted-printable text part and an attachment",
       "Subject: M\r\n" + mixedHead +
           "Content-Type: text/plain; charset=iso-8859-15\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
           "Preis: 5 =A4\r\n--b1\r\nContent-Type: application/octet-stream\r\n"
           "Content-Disposition: attachment; filename=\"p.bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
           "AAEC\r\n--b1--\r\n",
       "Preis: 5 \xE2\x82\xAC\r\n\r\nFile \"p.bin\" extracted\r\n"},
      {"attachments with names that lie",
       "Subject: N\r\n" + mixedHead + "Content-Type: text/plain\r\n\r\nsee\r\n--b1\r\n"
           "Content-Disposition: attachment; filename=\"invoice\u202Efdp.exe\"\r\n"
           "Content-Transfer-Encoding: base64\r\n\r\nQUJD\r\n--b1\r\n"
           "Content-Disposition: attachment; filename=\"report.pdf. . .\"\r\n"
           "Content-Transfer-Encoding: base64\r\n\r\nQUJD\r\n--b1--\r\n",
       "see\r\n\r\nFile \"invoicefdp.exe\" extracted\r\n\r\nFile \"report.pdf\" extracted\r\n"},
      {"alternative: the plain text",
       "Subject: A\r\nContent-Type: multipart/alternative; boundary=b2\r\n\r\n--b2\r\n"
       "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
       "caf=C3=A9\r\n--b2\r\nContent-Type: text/html\r\n\r\n<p>caf&eacute;</p>\r\n--b2--\r\n",
       "caf\xC3\xA9\r\n"},
      {"simple HTML as text",
       "Subject: H\r\nContent-Type: text/html; charset=utf-8\r\n\r\n"
       "<html><head><title>T</title></head><body><p>Hello &amp; welcome</p>\r\n<p>Line<br>two &#228;&#x20AC;</p>"
       "</body></html>\r\n",
       "Hello & welcome\r\n\r\nLine\r\ntwo \xC3\xA4\xE2\x82\xAC\r\n"},
      {"HTML with a table as it is", "Subject: T\r\nContent-Type: text/html\r\n\r\n<table><tr><td>x</td></tr></table>\r\n",
       "<table><tr><td>x</td></tr></table>\r\n"},
  };
  for (const BodyRow& row : rows) {
    Mail().Reset();
    OpenBodyView(row.Message);
    EXPECT_EQ(Form().Memo1->Text(), row.Shown) << row.Name;
    std::string drawn = row.Shown;
    std::erase(drawn, '\r');
    EXPECT_EQ(access::ShownText(*Form().Memo1), drawn) << row.Name;
    access::KeyPress(*Form().Memo1, kEscape);
  }
  // The notes name the files as they are on disk.
  for (const char* name : {"invoicefdp.exe", "report.pdf", "p.bin"})
    EXPECT_TRUE(platform::ReadFileIfExists(platform::DataFolderFile(name)).has_value()) << name;

  const std::string file = platform::DataFolderFile("shown.txt");
  Mail().Reset();
  OpenBodyView(rows[0].Message);
  script::SetNextSaveFileName(file);
  DoubleClickViewer();
  EXPECT_EQ(platform::ReadFileIfExists(file), rows[0].Shown + "\r\n");
}

TEST_F(Viewer, EscapeClosesEitherViewAndRestartsAutoCheck) {
  for (int n = 1; n <= 2; ++n) AddNumberedMessage(n);
  CheckMailbox();
  const auto listed = ListCells();

  DoubleClickRow(0);
  ASSERT_TRUE(ViewerOpen("Header - ESC to close"));
  access::KeyPress(*Form().Memo1, 'x');
  EXPECT_TRUE(ViewerOpen("Header - ESC to close")) << "only Escape closes";
  access::KeyPress(*Form().Memo1, kEscape);
  EXPECT_TRUE(ViewerClosed());
  EXPECT_TRUE(Form().Timer1->Running());
  EXPECT_EQ(ListCells(), listed);

  DoubleClickRow(1);
  DoubleClickViewer();
  ASSERT_TRUE(ViewerOpen("Body - ESC to close"));
  access::KeyPress(*Form().Memo1, kEscape);
  EXPECT_TRUE(ViewerClosed());
  EXPECT_EQ(ListCells(), listed);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Viewer, SaveDialogCancelKeepsViewerThenSaveWritesBytes) {
  // Latin-1 and UTF-8 in one body without a charset: each line shows as
  // UTF-8 when it is, else as Latin-1, and the file gets what is shown, in
  // UTF-8.
  OpenBodyView("From: Ann\r\nSubject: Bytes\r\n\r\ncaf\xE9 latin-1\r\ncaf\xC3\xA9 utf-8\r\n");
  const std::string body = "caf\xC3\xA9 latin-1\r\ncaf\xC3\xA9 utf-8\r\n";
  ASSERT_EQ(Form().Memo1->Text(), body);
  const std::string file = platform::DataFolderFile("saved.txt");
  platform::WriteFileReplacing(file, "older and longer content\r\n");

  script::SetNextSaveCancelled();
  DoubleClickViewer();
  EXPECT_TRUE(ViewerOpen("Body - ESC to close"));
  ASSERT_EQ(script::SaveDialogsShown().size(), 1u);

  script::SetNextSaveFileName(file);
  DoubleClickViewer();
  ASSERT_EQ(script::SaveDialogsShown().size(), 2u) << "a further double click asks again";
  EXPECT_EQ(platform::ReadFileIfExists(file), body + "\r\n");
  EXPECT_TRUE(ViewerClosed());
  EXPECT_TRUE(Form().StringGrid1->Focused());
  EXPECT_TRUE(Boxes().empty());

  const platform::SaveDialogOptions options = script::SaveDialogsShown().back();
  EXPECT_EQ(options.Filter, "Text|*.txt");
  EXPECT_EQ(options.DefaultExt, "txt");
  EXPECT_EQ(options.InitialDir, platform::DataFolder());
  EXPECT_TRUE(options.OverwritePrompt);
}

TEST_F(Viewer, UnwritableFileKeepsViewerOpen) {
  OpenBodyView(Message({"From: Ann"}));
  const std::string file = platform::DataFolderFile("no such folder/saved.txt");

  script::SetNextSaveFileName(file);
  DoubleClickViewer();

  EXPECT_TRUE(ViewerOpen("Body - ESC to close"));
  EXPECT_FALSE(platform::FileExists(file));
  std::vector<std::string> errors = BoxTexts(BoxKind::Error);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_THAT(errors[0], HasSubstr(file));

  // A named pipe would take the text only once someone reads it, and a
  // rename would put a file in its place: it is refused, and says so.
  testsupport::NonRegularEntry pipe(testsupport::NonRegularEntry::Kind::Fifo, platform::DataFolderFile("pipe.txt"));
  script::SetNextSaveFileName(pipe.Path());
  DoubleClickViewer();
  EXPECT_TRUE(ViewerOpen("Body - ESC to close"));
  EXPECT_THAT(BoxTexts(BoxKind::Error).back(),
              HasSubstr("Cannot write \"" + pipe.Path() + "\": it is a named pipe (FIFO), not a regular file."));
  EXPECT_TRUE(pipe.Unchanged());

  const std::string other = platform::DataFolderFile("other.txt");
  script::SetNextSaveFileName(other);
  DoubleClickViewer();
  EXPECT_EQ(platform::ReadFileIfExists(other), "Hello,\r\nthis is the body.\r\n\r\n");
  EXPECT_TRUE(ViewerClosed());
}

TEST_F(Viewer, EmptiedMailboxReportsItemGone) {
  AddNumberedMessage(1);
  CheckMailbox();
  DoubleClickRow(0);
  ASSERT_TRUE(ViewerOpen("Header - ESC to close"));
  const std::string header = Form().Memo1->Text();
  Mail().Reset();

  DoubleClickViewer();
  EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre("Mail Item No Longer Available !"));
  EXPECT_TRUE(ViewerOpen("Header - ESC to close")) << "the header stays";
  EXPECT_EQ(Form().Memo1->Text(), header);
  EXPECT_EQ(Form().ViewerMessage, 0);

  access::KeyPress(*Form().Memo1, kEscape);
  script::Reset();
  DoubleClickRow(0);
  EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre("Mail Item No Longer Available !"));
  EXPECT_TRUE(ViewerClosed());
}

TEST_F(Viewer, CheckWhileHeaderShownClosesViewerAndFillsList) {
  AddNumberedMessage(1);
  CheckMailbox();
  DoubleClickRow(0);
  ASSERT_TRUE(ViewerOpen("Header - ESC to close"));
  AddNumberedMessage(2);

  ClickCheck();

  EXPECT_TRUE(ViewerClosed());
  EXPECT_THAT(Column(1), ElementsAre("Sender 2", "Sender 1"));
}

}  // namespace

}  // namespace apptest
