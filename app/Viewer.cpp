#include "app/Viewer.h"

#include <exception>
#include <string>
#include <utility>

#include "app/CommandRun.h"
#include "app/LogInRefusalText.h"
#include "app/POP3Unit1.h"
#include "app/RunThenFinish.h"
#include "app/StatusLine.h"
#include "mailbox/ViewText.h"
#include "platform/core/DataFolder.h"
#include "platform/core/Exception.h"
#include "platform/core/Files.h"
#include "platform/core/Memory.h"
#include "platform/core/Translate.h"
#include "pop3/DisplayLines.h"

namespace app {

namespace {

constexpr char kEscape = 27;
std::string HeaderCaption() { return platform::Tr("Viewer", "Header - ESC to close"); }
std::string BodyCaption() { return platform::Tr("Viewer", "Body - ESC to close"); }
std::string NoLongerAvailable() { return platform::Tr("Viewer", "Mail Item No Longer Available !"); }

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

void MessageViewer::OpenHeader(int row) {
  TForm1& f = form_;
  f.ViewerMessage = 0;
  if (!f.Mailbox().List().Has(row)) return;
  const mailbox::MessageRow& listed = f.Mailbox().List().Row(row);

  CommandRun::Scope command(*f.commands_);
  FetchRunning running(fetching_);
  f.Timer1->SetEnabled(false);
  f.status_->Clear();
  f.ViewerMessage = listed.Number;
  messageId_ = listed.UniqueId;
  f.status_->Show("Connecting ...");
  f.CheckButton->SetEnabled(false);
  f.DeleteButton->SetEnabled(false);
  f.ExitButton->SetEnabled(false);
  bool opened = false;
  RunThenFinish(
      [&] {
        f.commands_->PrepareSession();
        mailbox::ViewOutcome outcome = f.Mailbox().FetchHeader(f.ViewerMessage, messageId_);
        const bool closing = f.commands_->CloseRequested();
        f.ConnectPending = outcome.Session == mailbox::LogIn::Failed;
        if (outcome.Fetched && !closing) {
          f.ViewerFetch = true;
          ShowInViewer(WrappedForDisplay(mailbox::HeaderViewText(outcome.Header)), HeaderCaption());
          opened = true;
        }
        if (outcome.Gone && !closing) platform::ShowInformation(NoLongerAvailable());
        if (f.ConnectPending && !closing)
          platform::ShowInformation(ErrorsEncounteredText(f.IPedit->Text()));
        if (!opened) f.status_->Finish(outcome.Failure, platform::Tr("Status", "Header not shown: %1"));
        if (outcome.QuitFailure) std::rethrow_exception(outcome.QuitFailure);
      },
      [&] { FinishHeaderView(opened); });
}

// A header view that did not open ends as Escape ends a view, but for the
// note of a fetch that failed.
void MessageViewer::FinishHeaderView(bool opened) {
  TForm1& f = form_;
  platform::SetScreenCursor(f.SavedCursor);
  f.CheckButton->SetEnabled(true);
  f.DeleteButton->SetEnabled(true);
  f.ExitButton->SetEnabled(true);
  if (opened) return;
  f.ViewerFetch = false;
  f.commands_->RestartAutoCheckTimer();
}

void MessageViewer::ShowInViewer(std::string text, const std::string& caption) {
  TForm1& f = form_;
  f.Memo1->SetText(std::move(text));
  f.status_->Show(caption);
  f.StringGrid1->Hide();
  f.Memo1->Show();
  f.Memo1->SetFocus();
}

// The mailbox's waits keep the event loop turning, so the viewer can be
// double-clicked again while a fetch waits: such a second start is ignored
// rather than nested into the running session.
void MessageViewer::OpenBodyOrSave() {
  if (fetching_) return;
  if (form_.ViewerMessage <= 0) {
    Save();
    return;
  }
  TForm1& f = form_;
  CommandRun::Scope command(*f.commands_);
  FetchRunning running(fetching_);
  f.status_->Clear();
  f.status_->Show("Connecting ...");
  f.CheckButton->SetEnabled(false);
  f.DeleteButton->SetEnabled(false);
  f.ExitButton->SetEnabled(false);
  bool opened = false;
  RunThenFinish([&] { FetchBody(opened); },
                [&] {
                  platform::SetScreenCursor(f.SavedCursor);
                  f.CheckButton->SetEnabled(true);
                  f.DeleteButton->SetEnabled(true);
                  f.ExitButton->SetEnabled(true);
                  f.ViewerMessage = 0;
                });
}

// After a failed body fetch the header view stays, now without a body to
// fetch, so its caption (with why the body is not shown) replaces the
// fetch's progress text.
void MessageViewer::FetchBody(bool& opened) {
  TForm1& f = form_;
  f.commands_->PrepareSession();
  const std::string folder = platform::DataFolder();
  f.AttachmentsSaved = false;
  mailbox::ViewOutcome outcome = f.Mailbox().FetchBody(f.ViewerMessage, messageId_, folder);
  const bool closing = f.commands_->CloseRequested();
  f.ConnectPending = outcome.Session == mailbox::LogIn::Failed;
  if (outcome.Fetched && !closing) {
    std::string text = mailbox::BodyViewText(outcome.Message);
    // From here on the view needs its text alone, and the widget makes its
    // own copies of it: the message goes first.
    outcome.Message = pop3::TMailMessage();
    platform::ReleaseFreedMemory();
    f.ViewerFetch = true;
    ShowInViewer(WrappedForDisplay(std::move(text)), BodyCaption());
    opened = true;
  }
  if (closing) return;
  if (outcome.Gone) platform::ShowInformation(NoLongerAvailable());
  if (f.ConnectPending) platform::ShowInformation(ErrorsEncounteredText(f.IPedit->Text()));
  if (f.AttachmentsSaved)
    platform::ShowInformation(platform::Substitute(platform::Tr("Viewer", "Attachment(s) Placed In %1 !"), {folder}));
  if (!opened && f.Memo1->Visible()) {
    if (outcome.Failure) {
      f.status_->Finish(outcome.Failure, platform::Tr("Status", "Body not shown: %1 - ESC to close"));
    } else {
      f.status_->Show(HeaderCaption());
    }
  }
  if (outcome.QuitFailure) std::rethrow_exception(outcome.QuitFailure);
}

// The file holds what the viewer shows, in UTF-8, then one CR LF. A file
// that cannot be written leaves the viewer open, so that another name can
// be tried.
void MessageViewer::Save() {
  TForm1& f = form_;
  std::string fileName;
  if (!platform::RunSaveDialog(f.SaveDialog1, fileName) || fileName.empty()) return;
  try {
    platform::WriteFileReplacing(fileName, {f.Memo1->Text(), "\r\n"});
  } catch (const platform::EFileError& error) {
    platform::ShowError(platform::Substitute(
        platform::Tr("Viewer", "%1. The text was not saved: double-click it again to choose another file."),
        {error.Message()}));
    return;
  }
  Close();
  f.StringGrid1->SetFocus();
  f.commands_->RestartAutoCheckTimer();
}

// Escape while a body fetch waits is ignored: closing would restart the
// auto-check timer under the running session, and the fetch would open the
// viewer again anyway.
void MessageViewer::CloseByKey() {
  if (fetching_) return;
  Close();
  // The keyboard goes back to the list the view was opened from.
  form_.StringGrid1->SetFocus();
  form_.commands_->RestartAutoCheckTimer();
}

// The shown text and the message behind it may be a whole large message:
// neither is needed once the view has ended.
void MessageViewer::Close() {
  TForm1& f = form_;
  f.ViewerFetch = false;
  f.status_->Hide();
  f.Memo1->Hide();
  f.Memo1->SetText(std::string());
  platform::ReleaseFreedMemory();
  f.StringGrid1->Show();
  f.StringGrid1->Repaint();
}

void TForm1::StringGrid1DblClickCell(int ARow, int) {
  if (viewer_->Fetching()) return;
  viewer_->OpenHeader(ARow);
}

void TForm1::Memo1DblClick() { viewer_->OpenBodyOrSave(); }

void TForm1::Memo1KeyPress(char& Key) {
  if (Key == kEscape) viewer_->CloseByKey();
}

void TForm1::Memo1Click() {}

void TForm1::POP3DecodeStart(std::string&) {}

// Fired once an attachment's file is in place: only then is it reported as
// placed (the start comes before the file is written, which may fail).
void TForm1::POP3DecodeEnd(platform::TComponent*) { AttachmentsSaved = true; }

}  // namespace app
