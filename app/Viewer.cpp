#include <exception>
#include <string>
#include <utility>

#include "app/MessageRows.h"
#include "app/POP3Unit1.h"
#include "app/RunThenFinish.h"
#include "app/ViewerText.h"
#include "platform/core/DataFolder.h"
#include "platform/core/Exception.h"
#include "platform/core/Files.h"
#include "platform/core/Memory.h"
#include "pop3/DisplayLines.h"

namespace app {

namespace {

constexpr char kEscape = 27;
constexpr const char* kHeaderCaption = "Header - ESC to close";
constexpr const char* kBodyCaption = "Body - ESC to close";
constexpr const char* kNoLongerAvailable = "Mail Item No Longer Available !";

// Marks a viewer fetch as running for as long as the handler waits on the
// server.
class FetchRunning {
 public:
  explicit FetchRunning(bool& flag) : flag_(flag) { flag_ = true; }
  ~FetchRunning() { flag_ = false; }
  FetchRunning(const FetchRunning&) = delete;
  FetchRunning& operator=(const FetchRunning&) = delete;

 private:
  bool& flag_;
};

// Text as the viewer shows it: a line of a header or a body may be
// megabytes long, and is wrapped for display (the summary and the saved
// attachments keep it whole). Every line ends with CR LF. Text that needs
// no change, as most does, is handed back as it is: it may be a whole
// large message.
std::string WrappedForDisplay(std::string text) {
  bool fits = text.empty() || text.ends_with("\r\n");
  for (std::size_t start = 0; fits && start < text.size();) {
    const std::size_t end = text.find("\r\n", start);
    fits = end - start <= pop3::kMaxDisplayLineBytes;
    start = end + 2;
  }
  if (fits) return text;
  std::string shown;
  shown.reserve(text.size() + 2 * (text.size() / pop3::kMaxDisplayLineBytes + 1));
  pop3::StringList pieces;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    pieces.Clear();
    pop3::AddDisplayLine(pieces, text.substr(start, end - start));
    for (const std::string& piece : pieces) shown.append(piece).append("\r\n");
    start = end + 2;
  }
  return shown;
}

}  // namespace

void TForm1::WireViewerEvents() {
  StringGrid1->OnDblClickCell = [this](int row, int col) { StringGrid1DblClickCell(row, col); };
  Memo1->OnDblClick = [this] { Memo1DblClick(); };
  Memo1->OnKeyPress = [this](char& key) { Memo1KeyPress(key); };
  Memo1->OnClick = [this] { Memo1Click(); };
  POP3->OnDecodeStart = [this](std::string& fileName) { POP3DecodeStart(fileName); };
}

// The client's waits keep the event loop turning, so the list (and the
// viewer) can be double-clicked again while a fetch waits: such a second
// start is ignored rather than nested into the running session.
void TForm1::StringGrid1DblClickCell(int ARow, int) {
  if (ViewerFetchRunning) return;
  ViewerMessage = 0;
  if (StringGrid1->Cell(kNumberColumn, ARow).empty()) return;
  const std::int32_t msg = RowMessageNumber(*StringGrid1, ARow);

  CommandScope command(*this);
  FetchRunning running(ViewerFetchRunning);
  Timer1->SetEnabled(false);
  ClearIncompleteNote();
  ViewerMessage = msg;
  ViewerMessageId = ListedId(msg);
  ShowStatus("Connecting ...");
  SetViewerButtonsEnabled(false);
  bool opened = false;
  RunThenFinish([&] { FetchHeaderView(msg, opened); }, [&] { FinishHeaderView(opened); });
}

void TForm1::FetchHeaderView(std::int32_t msg, bool& opened) {
  PrepareSession();
  ConnectPending = true;
  bool loggedIn = false;
  try {
    std::optional<std::int32_t> current;
    if (OpenViewerSession(loggedIn) && (current = CurrentListedMessage(msg))) {
      POP3->FetchSummary(*current);
      ShowInViewer(WrappedForDisplay(HeaderViewText(POP3->Summary().Header)), kHeaderCaption);
      opened = true;
    }
  } catch (const std::exception& failure) {
    // The failure events' boxes and the one below tell the user of a
    // log-in that failed; a fetch that failed after it says so on the
    // status line.
    if (loggedIn) NoteIncomplete(failure);
  }
  if (ConnectPending && !CloseRequested)
    platform::ShowInformation("Errors Encountered With " + IPedit->Text() + " - ABORTING !");
  EndViewSession();
}

bool TForm1::OpenViewerSession(bool& loggedIn) {
  POP3->Connect();
  ConnectPending = false;
  loggedIn = true;
  ShowStatus("Working ...");
  if (POP3->MailCount() < 1) {
    platform::ShowInformation(kNoLongerAvailable);
    return false;
  }
  if (CloseRequested) return false;
  ViewerFetch = true;
  return true;
}

// The viewer shows the message its row named, never another one that has
// taken its number since.
std::optional<std::int32_t> TForm1::CurrentListedMessage(std::int32_t msg) {
  std::optional<std::int32_t> current = CurrentNumber(msg, ViewerMessageId);
  if (!current) platform::ShowInformation(kNoLongerAvailable);
  return current;
}

void TForm1::ShowInViewer(std::string text, const char* caption) {
  Memo1->SetText(std::move(text));
  ShowStatus(caption);
  StringGrid1->Hide();
  Memo1->Show();
  Memo1->SetFocus();
}

// A header view that did not open ends as Escape ends a view.
void TForm1::FinishHeaderView(bool opened) {
  platform::SetScreenCursor(SavedCursor);
  SetViewerButtonsEnabled(true);
  if (opened) return;
  ViewerFetch = false;
  FinishStatusLine("Header not shown: ");
  RestartAutoCheckTimer();
}

void TForm1::Memo1DblClick() {
  if (ViewerFetchRunning) return;
  if (ViewerMessage > 0) {
    ShowBodyView();
  } else {
    SaveViewerText();
  }
}

void TForm1::ShowBodyView() {
  CommandScope command(*this);
  FetchRunning running(ViewerFetchRunning);
  ClearIncompleteNote();
  ShowStatus("Connecting ...");
  SetViewerButtonsEnabled(false);
  bool opened = false;
  RunThenFinish([&] { FetchBodyView(opened); }, [&] { FinishBodyView(opened); });
}

void TForm1::FetchBodyView(bool& opened) {
  PrepareSession();
  const std::string folder = platform::DataFolder();
  POP3->SetAttachFilePath(folder);
  ConnectPending = true;
  AttachmentsSaved = false;
  bool loggedIn = false;
  try {
    std::optional<std::int32_t> current;
    if (OpenViewerSession(loggedIn) && (current = CurrentListedMessage(ViewerMessage))) {
      // Start-up creates the folder; it may have gone since.
      if (!platform::FolderExists(folder)) platform::CreateFolder(folder);
      POP3->FetchMessage(*current);
      std::string text = BodyViewText(POP3->MailMessage());
      // From here on the view needs its text alone, and the widget makes
      // its own copies of it: the message goes first.
      ReleaseFetchedMessage();
      ShowInViewer(WrappedForDisplay(std::move(text)), kBodyCaption);
      opened = true;
    }
  } catch (const std::exception& failure) {
    // The header stays on screen, the status line saying why the body is
    // not; the next double click saves the header.
    if (loggedIn) NoteIncomplete(failure);
  }
  // What a failed fetch received (up to the retrieval's cap) is never shown.
  ReleaseFetchedMessage();
  if (!CloseRequested) {
    if (ConnectPending) platform::ShowInformation("Errors Encountered With " + IPedit->Text() + " - ABORTING !");
    if (AttachmentsSaved) platform::ShowInformation("Attachment(s) Placed In " + folder + " !");
  }
  EndViewSession();
}

// After a failed body fetch the header view stays, now without a body to
// fetch, so its caption replaces the fetch's progress text.
void TForm1::FinishBodyView(bool opened) {
  platform::SetScreenCursor(SavedCursor);
  SetViewerButtonsEnabled(true);
  ViewerMessage = 0;
  if (opened || !Memo1->Visible()) return;
  ShowStatus(kHeaderCaption);
  if (!IncompleteNote.empty()) {
    ShowStatus("Body not shown: " + IncompleteNote + " - ESC to close");
    Label5->SetHint(IncompleteHint);
  }
}

// The file holds what the viewer shows, in UTF-8, then one CR LF. A file that cannot be written leaves the viewer open, so
// that another name can be tried.
void TForm1::SaveViewerText() {
  std::string fileName;
  if (!platform::RunSaveDialog(SaveDialog1, fileName) || fileName.empty()) return;
  try {
    platform::WriteFileReplacing(fileName, {Memo1->Text(), "\r\n"});
  } catch (const platform::EFileError& error) {
    platform::ShowError(error.Message() + ". The text was not saved: double-click it again to choose another file.");
    return;
  }
  Memo1->Hide();
  Label5->Hide();
  ViewerFetch = false;
  ReleaseViewedMessage();
  StringGrid1->Show();
  StringGrid1->Repaint();
  StringGrid1->SetFocus();
  RestartAutoCheckTimer();
}

// Escape while a body fetch waits is ignored: closing would restart the
// auto-check timer under the running session, and the fetch would open the
// viewer again anyway.
void TForm1::Memo1KeyPress(char& Key) {
  if (Key != kEscape || ViewerFetchRunning) return;
  CloseViewer();
}

void TForm1::CloseViewer() {
  ViewerFetch = false;
  Label5->Hide();
  Memo1->Hide();
  ReleaseViewedMessage();
  StringGrid1->Show();
  StringGrid1->Repaint();
  RestartAutoCheckTimer();
}

// The shown text and the message behind it may be a whole large message:
// neither is needed once the view has ended.
void TForm1::ReleaseViewedMessage() {
  Memo1->SetText(std::string());
  ReleaseFetchedMessage();
}

void TForm1::ReleaseFetchedMessage() {
  POP3->MailMessage() = pop3::TMailMessage();
  platform::ReleaseFreedMemory();
}

void TForm1::Memo1Click() {}

void TForm1::POP3DecodeStart(std::string&) {}

// Fired once an attachment's file is in place: only then is it reported as
// placed (DecodeStart comes before the file is written, which may fail).
void TForm1::POP3DecodeEnd(platform::TComponent*) { AttachmentsSaved = true; }

void TForm1::SetViewerButtonsEnabled(bool enabled) {
  CheckButton->SetEnabled(enabled);
  DeleteButton->SetEnabled(enabled);
  ExitButton->SetEnabled(enabled);
}

}  // namespace app
