#include <exception>
#include <string>
#include <utility>

#include "app/MessageRows.h"
#include "app/POP3Unit1.h"
#include "app/RunThenFinish.h"
#include "net/LineSocket.h"
#include "platform/gui/Dialogs.h"
#include "platform/core/EventLoop.h"

namespace app {

namespace {

// Pause after each DELE, before the session is closed.
constexpr unsigned kPauseAfterDeleteMs = 500;

bool RowShowsSummary(const platform::MessageGrid& grid, int row) {
  for (const ShownField& field : kShownFields)
    if (!grid.Cell(field.Column, row).empty()) return true;
  return false;
}

// Holds back the window's summary handler while a summary is fetched only
// to be compared, so that the list keeps what it shows; notes whether the
// summary was completed.
class QuietSummary {
 public:
  explicit QuietSummary(pop3::TPop3Client& client) : client_(client), saved_(std::move(client.OnRetrieveEnd)) {
    client_.OnRetrieveEnd = [this](platform::TComponent*) { completed_ = true; };
  }
  ~QuietSummary() { client_.OnRetrieveEnd = std::move(saved_); }
  QuietSummary(const QuietSummary&) = delete;
  QuietSummary& operator=(const QuietSummary&) = delete;

  bool Completed() const { return completed_; }

 private:
  pop3::TPop3Client& client_;
  pop3::TNotifyEvent saved_;
  bool completed_ = false;
};

std::string ChangedMailboxText(int count) {
  return std::to_string(count) +
         " ticked message(s) were not deleted because the mailbox changed since the last check. "
         "Check again and tick them anew.";
}

}  // namespace

void TForm1::DeleteButtonClick() {
  TCommandScope command(*this);
  BeginDeletion();
  // Set only once the whole run has succeeded: a failed run reports none.
  int changedCount = 0;
  RunThenFinish(
      [&] {
        POP3->Disconnect();
        CopyCredentials();
        ListTotal = StringGrid1->RowCount();
        platform::SetScreenCursor(platform::CursorShape::HourGlass);
        const int changed = DeleteTickedMessages();
        ClearMessageList();
        changedCount = changed;
      },
      [&] { FinishDeletion(changedCount); });
}

void TForm1::BeginDeletion() {
  CheckButton->SetHint("");
  BeginUserListCommand();
}

// Rows run from the highest message number down and every ticked message
// gets a session of its own (its deletion is committed by the QUIT), so the
// numbers still to come are below the ones already deleted and stay valid.
// What the order cannot guard against is a mailbox changed by someone else
// since the list was built; each number is therefore checked against its
// row before the DELE.
int TForm1::DeleteTickedMessages() {
  // A refused DELE sets ListTotal to 0; the walk keeps its own bound.
  const int lastRow = ListTotal;
  int changedCount = 0;
  try {
    for (int row = 0; row <= lastRow && !CloseRequested; ++row) {
      if (!RowTicked(*StringGrid1, row)) continue;
      try {
        POP3->Connect();
        ShowStatus("Working ...");
        const std::int32_t msg = RowMessageNumber(*StringGrid1, row);
        if (TickedMessageUnchanged(row, msg)) {
          POP3->DeleteMessage(msg);
          platform::Sleep(kPauseAfterDeleteMs);
        } else {
          ++changedCount;
        }
      } catch (const net::ESockError&) {
        // The connection broke or a wait was cut short: nothing of this
        // session was committed, and a QUIT on it could only fail. Dropped
        // without QUIT, the next ticked message always gets its session.
        POP3->Abort();
      } catch (const std::exception&) {
        // The failure events have said what they say; the next ticked
        // message gets a session of its own.
      }
      POP3->Disconnect();
    }
  } catch (const std::exception&) {
    // A failure outside one message's work (a refused QUIT) ends the walk.
  }
  return changedCount;
}

bool TForm1::TickedMessageUnchanged(int row, std::int32_t msg) {
  if (msg < 1 || msg > POP3->MailCount()) return false;
  QuietSummary quiet(*POP3);
  try {
    POP3->FetchSummary(msg);
  } catch (const net::ESockError&) {
    throw;
  } catch (const platform::Exception&) {
    // TOP or LIST refused, or a size that is no number: the server no
    // longer has this number. Anything that closed the session is a
    // failure of its own.
    if (!POP3->IsConnected()) throw;
    return false;
  }
  if (!quiet.Completed()) throw platform::Exception("The message could not be compared with its row");

  const pop3::TSummary& summary = POP3->Summary();
  if (std::to_string(summary.Bytes) != StringGrid1->Cell(kSizeColumn, row)) return false;
  if (!RowShowsSummary(*StringGrid1, row)) return true;
  const std::string header = LinesText(summary.Header);
  for (const ShownField& field : kShownFields) {
    std::string value = ExtractHeaderValue(header, field.Label, field.FallbackLabel, field.Skip).value_or("");
    if (value != StringGrid1->Cell(field.Column, row)) return false;
  }
  return true;
}

// The cursor goes back to the one the last command saved; this command
// saves none.
void TForm1::FinishDeletion(int changedCount) {
  platform::SetScreenCursor(SavedCursor);
  Label5->Hide();
  if (changedCount > 0 && !CloseRequested) platform::ShowInformation(ChangedMailboxText(changedCount));
  SetControlsEnabled(true);
  RestartAutoCheckTimer();
}

}  // namespace app
