#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/ListView.h"
#include "pop3/DisplayLines.h"
#include "net/LineSocket.h"
#include "platform/core/DataFolder.h"
#include "platform/testing/TestAccess.h"
#include "platform/core/WindowTimer.h"
#include "tests/app/FaultMatrix.h"
#include "tests/app/FormTest.h"
#include "tests/support/ScriptedPop3Server.h"
#include "tests/support/TempFolder.h"

// Every step of the window's network commands crossed with every fault a
// server can commit at that step. Whatever the fault, the command must come
// back within its time-out, leave the window usable, delete nothing but the
// ticked message and write nothing outside the data folder.
namespace apptest {

namespace {

namespace access = platform::test_access;
namespace fs = std::filesystem;
using namespace faultmatrix;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testsupport::ScriptedPop3Server;
using Clock = std::chrono::steady_clock;

// The client's time-out for one wait; the matrix's stalls cost this much.
constexpr int kTimeOutMs = 300;
// Longest a command may take: its time-out and a margin for the rest.
constexpr int kCommandBoundMs = kTimeOutMs + 2000;
constexpr char kEscape = 27;
// The list's row of message 1 (message 2 is inserted above it).
constexpr int kRowOfOne = 1;

std::string Printable(const std::string& text) {
  std::string shown;
  for (char c : text)
    shown += (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f) ? '?' : c;
  return shown;
}

// Every file and folder below root, as paths relative to it.
std::set<std::string> Listing(const fs::path& root) {
  std::set<std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    entries.insert(fs::relative(entry.path(), root).string() + (entry.is_directory() ? "/" : ""));
  return entries;
}

// A private folder for the temporary home to live in, so that its parent
// can be listed without other programs' files coming and going.
class HomeParent {
 public:
  fs::path Path() const { return folder_.Path(); }

  // Runs action with TMPDIR naming this folder, where the home is made.
  void MakeHomeInside(const std::function<void()>& action) const {
    const char* saved = std::getenv("TMPDIR");
    const std::optional<std::string> previous = saved ? std::optional<std::string>(saved) : std::nullopt;
    setenv("TMPDIR", folder_.Path().c_str(), 1);
    action();
    if (previous)
      setenv("TMPDIR", previous->c_str(), 1);
    else
      unsetenv("TMPDIR");
  }

 private:
  testsupport::TempFolder folder_{"faultmatrix"};
};

// A window in a home of its own, its client's time-out short, the account
// of the scripted server typed in.
class MatrixWindow : public FormTest {
 protected:
  MatrixWindow() {
    // The command runs inside the click: a command that outlives its bound
    // is cancelled from here, so that the test fails instead of hanging.
    watchdog_.SetOnTimer([this] {
      if (overran_ || Clock::now() < deadline_) return;
      overran_ = true;
      Form().Mailbox().Client().Abort();
    });
  }

  void SetUp() override {
    parent_.MakeHomeInside([this] { FormTest::SetUp(); });
    Form().Mailbox().Client().SetTimeOut(kTimeOutMs);
    EnterAccount(std::string(ScriptedPop3Server::Host()) + ":" + std::to_string(server_.Port()), kUser, kPassword);
    ASSERT_TRUE(Form().CheckBox5->Checked()) << "\"Analyse\" is ticked from the start";
    ASSERT_EQ(platform::DataFolder().rfind(parent_.Path().string() + "/", 0), 0u) << "the home lies in its own folder";
    filesBefore_ = Listing(parent_.Path());
  }

  void TearDown() override {
    watchdog_.SetEnabled(false);
    FormTest::TearDown();
  }

  // Runs the click with the watchdog; true when the command came back in
  // time.
  ::testing::AssertionResult Bounded(const std::function<void()>& click) {
    overran_ = false;
    deadline_ = Clock::now() + std::chrono::milliseconds(kCommandBoundMs);
    watchdog_.SetEnabled(true);
    click();
    watchdog_.SetEnabled(false);
    if (overran_)
      return ::testing::AssertionFailure() << "the command was still running after " << kCommandBoundMs << " ms";
    return ::testing::AssertionSuccess();
  }

  // A good check: both messages listed with their senders.
  ::testing::AssertionResult GoodCheck() {
    server_.AddConversation(GoodScript(CheckSession()));
    if (auto returned = Bounded([this] { ClickCheck(); }); !returned) return returned;
    if (Column(app::kNumberColumn) != std::vector<std::string>{"2", "1"})
      return ::testing::AssertionFailure()
             << "the check listed " << ::testing::PrintToString(Column(app::kNumberColumn));
    if (Column(app::kSenderColumn) != std::vector<std::string>{SenderOf(2), SenderOf(1)})
      return ::testing::AssertionFailure()
             << "the check summarised " << ::testing::PrintToString(Column(app::kSenderColumn));
    return ::testing::AssertionSuccess();
  }

  // Brings the window to where the command starts.
  void Prepare(Command command) {
    if (command == Command::Check) return;
    ASSERT_TRUE(GoodCheck());
    if (command == Command::Deletion || command == Command::PipelinedDeletion) {
      access::ClickCell(*Form().StringGrid1, kRowOfOne, app::kTickColumn);
      ASSERT_TRUE(RowTicked(*Form().StringGrid1, kRowOfOne));
      if (command == Command::PipelinedDeletion) access::ClickCell(*Form().StringGrid1, 0, app::kTickColumn);
      ASSERT_EQ(RowTicked(*Form().StringGrid1, 0), command == Command::PipelinedDeletion);
    }
    if (command == Command::Body) {
      server_.AddConversation(GoodScript(HeaderSession()));
      ASSERT_TRUE(Bounded([this] { access::DoubleClickCell(*Form().StringGrid1, kRowOfOne, app::kSenderColumn); }));
      ASSERT_TRUE(Form().Memo1->Visible());
      ASSERT_EQ(Form().ViewerMessage, 1);
    }
    platform::dialog_script::Reset();
  }

  void Issue(Command command) {
    switch (command) {
      case Command::Check:
        ClickCheck();
        break;
      case Command::Deletion:
      case Command::PipelinedDeletion:
        access::Click(*Form().DeleteButton);
        break;
      case Command::Header:
        access::DoubleClickCell(*Form().StringGrid1, kRowOfOne, app::kSenderColumn);
        break;
      case Command::Body:
        access::DoubleClick(*Form().Memo1);
        break;
    }
  }

  // What the user was left with, for the matrix's table.
  std::string Outcome(Command command) {
    std::string outcome;
    for (const ShownBox& box : Boxes()) {
      const char* kind = box.Kind == BoxKind::Error ? "error box" : "box";
      outcome += std::string(kind) + " \"" + Printable(box.Text).substr(0, 60) + "\"; ";
    }
    app::TForm1& f = Form();
    int rows = 0;
    int summaries = 0;
    for (int row = 0; row < f.StringGrid1->RowCount(); ++row) {
      if (!f.StringGrid1->Cell(app::kNumberColumn, row).empty()) ++rows;
      if (!f.StringGrid1->Cell(app::kSenderColumn, row).empty()) ++summaries;
    }
    switch (command) {
      case Command::Check:
        return outcome + std::to_string(rows) + " rows, " + std::to_string(summaries) + " summaries";
      case Command::Deletion:
      case Command::PipelinedDeletion:
        return outcome + std::to_string(server_.CountReceived("DELE")) + " DELE sent" +
               (rows == 0 ? ", list emptied" : ", list kept");
      case Command::Header:
        return outcome + (f.Memo1->Visible() ? "header shown" : "no view");
      case Command::Body:
        return outcome + (f.Label5->Text() == "Body - ESC to close" ? "body shown" : "header kept") +
               (fs::exists(platform::DataFolderFile("report.bin")) ? ", report.bin written" : "");
    }
    return outcome;
  }

  ::testing::AssertionResult NoDeleteButTicked(Command command) {
    int deletes = 0;
    for (const std::string& line : server_.Received()) {
      if (line.rfind("DELE", 0) != 0) continue;
      ++deletes;
      const bool ticked = (command == Command::Deletion && line == "DELE 1") ||
                          (command == Command::PipelinedDeletion && (line == "DELE 1" || line == "DELE 2"));
      if (!ticked) return ::testing::AssertionFailure() << "'" << line << "' sent for a message nobody ticked";
    }
    const int tickedCount = command == Command::PipelinedDeletion ? 2 : 1;
    if (deletes > tickedCount)
      return ::testing::AssertionFailure() << deletes << " DELE commands for " << tickedCount << " ticked message(s)";
    return ::testing::AssertionSuccess();
  }

  ::testing::AssertionResult NothingWrittenOutsideDataFolder() {
    const std::string dataFolder = fs::relative(platform::DataFolder(), parent_.Path()).string() + "/";
    const std::set<std::string> after = Listing(parent_.Path());
    std::vector<std::string> changed;
    for (const std::string& entry : after)
      if (!filesBefore_.count(entry) && entry.rfind(dataFolder, 0) != 0) changed.push_back("new " + entry);
    for (const std::string& entry : filesBefore_)
      if (!after.count(entry) && entry.rfind(dataFolder, 0) != 0) changed.push_back("gone " + entry);
    if (!changed.empty()) return ::testing::AssertionFailure() << ::testing::PrintToString(changed);
    return ::testing::AssertionSuccess();
  }

  // What reaches the text widget is wrapped: no line longer than the
  // display limit, however long the server's lines.
  ::testing::AssertionResult NoOverlongLineShown() {
    const std::string text = Form().Memo1->Text();
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find("\r\n", start);
      if (end == std::string::npos) end = text.size();
      if (end - start > pop3::kMaxDisplayLineBytes) {
        return ::testing::AssertionFailure() << "a line of " << end - start << " bytes is shown";
      }
      start = end + 2;
    }
    return ::testing::AssertionSuccess();
  }

  // The note the status line shows, by its opening words.
  Note ShownNote() {
    if (!Form().Label5->Visible()) return Note::None;
    const std::string text = Form().Label5->Text();
    if (text.rfind("Incomplete: ", 0) == 0) return Note::ListIncomplete;
    if (text.rfind("Header not shown: ", 0) == 0) return Note::HeaderNotShown;
    if (text.rfind("Body not shown: ", 0) == 0) return Note::BodyNotShown;
    return Note::None;
  }

  void CloseViewerIfOpen() {
    if (Form().Memo1->Visible()) access::KeyPress(*Form().Memo1, kEscape);
  }

  ScriptedPop3Server server_;

 private:
  HomeParent parent_;
  std::set<std::string> filesBefore_;
  platform::WindowTimer watchdog_{25, false};
  Clock::time_point deadline_{};
  bool overran_ = false;
};

class FaultMatrix : public MatrixWindow, public ::testing::WithParamInterface<Cell> {};

TEST_P(FaultMatrix, WindowSurvivesTheFault) {
  const Cell& cell = GetParam();
  Prepare(cell.Cmd);
  if (HasFatalFailure()) return;
  server_.AddConversation(FaultedScript(FaultedSession(cell.Cmd), cell.Step, cell.Kind));

  EXPECT_TRUE(Bounded([&] { Issue(cell.Cmd); }));

  RecordProperty("outcome", Outcome(cell.Cmd));
  // Only a failed QUIT reaches the error box. One after an earlier fault
  // means the session was signed off although it had already ended: a QUIT
  // on a closed connection, or one that read what was left of an answer.
  if (cell.Step != "Quit") {
    EXPECT_THAT(BoxTexts(BoxKind::Error), IsEmpty()) << "QUIT was sent after the session had ended";
  }
  if (ClientGoesOn(FaultedSession(cell.Cmd), cell.Step, cell.Kind)) {
    if (cell.Cmd == Command::Body) {
      EXPECT_EQ(Form().Label5->Text(), "Body - ESC to close") << "a message read through was not shown";
    }
    if (cell.Cmd == Command::Header) {
      EXPECT_EQ(Form().Label5->Text(), "Header - ESC to close") << "a header read through was not shown";
    }
  }
  EXPECT_TRUE(NoOverlongLineShown());
  const Note note = ExpectedNote(cell);
  EXPECT_EQ(ShownNote(), note) << "the status line shows \"" << Form().Label5->Text() << "\"";
  CloseViewerIfOpen();
  // Closing the viewer takes its note with it; the list keeps its own.
  EXPECT_TRUE(WindowRestored(note == Note::ListIncomplete || note == Note::HeaderNotShown));
  EXPECT_FALSE(Form().Mailbox().Client().IsConnected()) << "the session was left open";
  EXPECT_TRUE(GoodCheck()) << "a good check after the fault";
  EXPECT_TRUE(WindowRestored());
  EXPECT_TRUE(server_.WaitUntilDone(kCommandBoundMs)) << "a connection was left open";
  EXPECT_THAT(server_.Failures(), IsEmpty()) << "the client did not talk as expected after the fault";
  EXPECT_TRUE(NoDeleteButTicked(cell.Cmd));
  EXPECT_TRUE(NothingWrittenOutsideDataFolder());
}

// The good paths of the matrix's scripts: a cell proves something only when
// the same command against the good server does what it should.
using FaultMatrixBaseline = MatrixWindow;

TEST_F(FaultMatrixBaseline, CheckListsAndSummarisesBothMessages) {
  EXPECT_TRUE(GoodCheck());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(WindowRestored());
  EXPECT_TRUE(server_.WaitUntilDone(kCommandBoundMs));
  EXPECT_THAT(server_.Failures(), IsEmpty());
}

// The key arrives while the first summary is fetched; the second one's
// answer has been asked for already. It is read and dropped before QUIT, so
// QUIT's reply is QUIT's own (a status line of the dropped answer would
// pass the reply test as well, hence the check of what the client read).
TEST_F(FaultMatrixBaseline, KeyPressMidWalkReadsTheAnswerAskedForBeforeQuit) {
  server_.AddConversation(GoodScript(CheckSession()));
  std::vector<std::string> replies;
  Form().Mailbox().Client().ReportLevel = net::kStatusReply;
  Form().Mailbox().Client().OnStatus = [&](platform::TComponent*, const std::string& status) { replies.push_back(status); };
  int started = 0;
  Form().Mailbox().Client().OnRetrieveStart = [&](platform::TComponent*) {
    if (++started == 1) access::KeyPress(*Form().Window, 'x');
  };

  EXPECT_TRUE(Bounded([this] { ClickCheck(); }));

  EXPECT_EQ(started, 1);
  EXPECT_THAT(Column(app::kSenderColumn), ElementsAre(SenderOf(2), ""));
  ASSERT_FALSE(replies.empty());
  EXPECT_EQ(replies.back(), "+OK bye\r\n") << "QUIT's reply was taken from an answer asked for before";
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(WindowRestored());
  EXPECT_TRUE(server_.WaitUntilDone(kCommandBoundMs));
  EXPECT_THAT(server_.Failures(), IsEmpty());
}

TEST_F(FaultMatrixBaseline, DeletionComparesThenDeletesTheTickedMessage) {
  Prepare(Command::Deletion);
  server_.AddConversation(GoodScript(DeletionSession()));

  EXPECT_TRUE(Bounded([this] { access::Click(*Form().DeleteButton); }));

  EXPECT_EQ(server_.CountReceived("DELE"), 1);
  EXPECT_TRUE(server_.ReceivedLine("DELE 1"));
  EXPECT_THAT(Column(app::kNumberColumn), ElementsAre(""));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(WindowRestored());
  EXPECT_TRUE(server_.WaitUntilDone(kCommandBoundMs));
  EXPECT_THAT(server_.Failures(), IsEmpty());
}

TEST_F(FaultMatrixBaseline, PipelinedDeletionComparesBothRowsThenDeletesThemInOneWrite) {
  Prepare(Command::PipelinedDeletion);
  server_.AddConversation(GoodScript(PipelinedDeletionSession()));

  EXPECT_TRUE(Bounded([this] { access::Click(*Form().DeleteButton); }));

  EXPECT_TRUE(server_.ReceivedLine("DELE 1"));
  EXPECT_TRUE(server_.ReceivedLine("DELE 2"));
  EXPECT_EQ(server_.ConnectionsServed(), 2);
  EXPECT_THAT(Column(app::kNumberColumn), ElementsAre(""));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(WindowRestored());
  EXPECT_TRUE(server_.WaitUntilDone(kCommandBoundMs));
  EXPECT_THAT(server_.Failures(), IsEmpty());
}

TEST_F(FaultMatrixBaseline, HeaderAndBodyViewsShowMessageOne) {
  Prepare(Command::Body);
  ASSERT_EQ(Form().Memo1->Text().rfind("From: " + SenderOf(1) + "\r\n", 0), 0u);
  server_.AddConversation(GoodScript(BodySession()));

  EXPECT_TRUE(Bounded([this] { access::DoubleClick(*Form().Memo1); }));

  EXPECT_EQ(Form().Label5->Text(), "Body - ESC to close");
  EXPECT_THAT(Form().Memo1->Text(), ::testing::HasSubstr("Hello Bob, the report is attached."));
  EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre("Attachment(s) Placed In " + platform::DataFolder() + " !"));
  EXPECT_TRUE(fs::exists(platform::DataFolderFile("report.bin")));
  EXPECT_TRUE(NothingWrittenOutsideDataFolder());
  CloseViewerIfOpen();
  EXPECT_TRUE(WindowRestored());
  EXPECT_TRUE(server_.WaitUntilDone(kCommandBoundMs));
  EXPECT_THAT(server_.Failures(), IsEmpty());
}

std::string TestName(const ::testing::TestParamInfo<Cell>& info) { return CellName(info.param); }

INSTANTIATE_TEST_SUITE_P(Check, FaultMatrix, ::testing::ValuesIn(Cells(Command::Check)), TestName);
INSTANTIATE_TEST_SUITE_P(Deletion, FaultMatrix, ::testing::ValuesIn(Cells(Command::Deletion)), TestName);
INSTANTIATE_TEST_SUITE_P(PipelinedDeletion, FaultMatrix, ::testing::ValuesIn(Cells(Command::PipelinedDeletion)),
                         TestName);
INSTANTIATE_TEST_SUITE_P(Header, FaultMatrix, ::testing::ValuesIn(Cells(Command::Header)), TestName);
INSTANTIATE_TEST_SUITE_P(Body, FaultMatrix, ::testing::ValuesIn(Cells(Command::Body)), TestName);

}  // namespace

}  // namespace apptest
