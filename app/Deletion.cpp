#include <exception>
#include <optional>
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

std::string NotDeletedText(int count) {
  return std::to_string(count) +
         " ticked message(s) were not deleted: the server could not be reached, refused the log-in or "
         "refused to delete them. They are still on the server; check again.";
}

}  // namespace

void TForm1::DeleteButtonClick() {
  CommandScope command(*this);
  BeginDeletion();
  // Set only once the whole run has succeeded: a failed run reports none.
  int changedCount = 0;
  int failedCount = 0;
  RunThenFinish(
      [&] {
        POP3->Disconnect();
        CopyCredentials();
        ListTotal = StringGrid1->RowCount();
        platform::SetScreenCursor(platform::CursorShape::HourGlass);
        const int changed = DeleteTickedMessages(failedCount);
        ClearMessageList();
        changedCount = changed;
      },
      [&] { FinishDeletion(changedCount, failedCount); });
}

void TForm1::BeginDeletion() {
  CheckButton->SetHint("");
  BeginUserListCommand();
}

// Rows run from the highest message number down and every ticked message
// gets a session of its own (its deletion is committed by the QUIT), so the
// numbers still to come are below the ones already deleted and stay valid.
// What the order cannot guard against is a mailbox changed by someone else
// since the list was built. A row whose message has a unique id is deleted
// by that id, under whatever number it has now, and skipped when it is
// gone; without ids (a server without UIDL) the number is checked against
// what its row shows before the DELE.
int TForm1::DeleteTickedMessages(int& failedCount) {
  // A refused DELE sets ListTotal to 0; the walk keeps its own bound.
  const int lastRow = ListTotal;
  int changedCount = 0;
  int tickedCount = 0;
  int deletedCount = 0;
  for (int row = 0; row <= lastRow; ++row)
    if (RowTicked(*StringGrid1, row)) ++tickedCount;
  try {
    for (int row = 0; row <= lastRow && !CloseRequested; ++row) {
      if (!RowTicked(*StringGrid1, row)) continue;
      bool deleted = false;
      try {
        POP3->Connect();
        ShowStatus("Working ...");
        const std::int32_t msg = RowMessageNumber(*StringGrid1, row);
        const std::string id = ListedId(msg);
        std::optional<std::int32_t> current;
        if (!id.empty()) {
          current = CurrentNumber(msg, id);
        } else if (TickedMessageUnchanged(row, msg)) {
          current = msg;
        }
        if (current) {
          POP3->DeleteMessage(*current);
          deleted = true;
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
      // The server removes the message only when this session ends well.
      POP3->Disconnect();
      if (deleted) ++deletedCount;
    }
  } catch (const std::exception&) {
    // A failure outside one message's work (a refused QUIT) ends the walk.
  }
  // Whatever kept a ticked message on the server, the user hears of it:
  // the list is emptied all the same.
  failedCount = tickedCount - deletedCount - changedCount;
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
  // The row shows decoded text; the fresh header is decoded the same way.
  // The date is compared as sent as well, since the shown one drops the
  // seconds and the zone.
  for (const ShownField& field : kShownFields) {
    const std::string value = FieldValue(header, field).value_or("");
    if (ShownFieldText(field, value) != StringGrid1->Cell(field.Column, row)) return false;
    if (field.Column == kDateColumn && FieldHint(field, value) != StringGrid1->CellHint(field.Column, row))
      return false;
  }
  return true;
}

// The cursor goes back to the one the last command saved; this command
// saves none.
void TForm1::FinishDeletion(int changedCount, int failedCount) {
  platform::SetScreenCursor(SavedCursor);
  Label5->Hide();
  if (changedCount > 0 && !CloseRequested) platform::ShowInformation(ChangedMailboxText(changedCount));
  if (failedCount > 0 && !CloseRequested) platform::ShowInformation(NotDeletedText(failedCount));
  SetControlsEnabled(true);
  RestartAutoCheckTimer();
}

}  // namespace app
