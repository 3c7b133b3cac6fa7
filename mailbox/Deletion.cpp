#include <exception>
#include <optional>
#include <string>

#include "mailbox/Mailbox.h"
#include "mailbox/ShownFields.h"
#include "net/LineSocket.h"
#include "platform/core/EventLoop.h"

namespace mailbox {

namespace {

// Pause after each DELE, before the session is closed.
constexpr unsigned kPauseAfterDeleteMs = 500;

}  // namespace

// Rows run from the highest message number down and every ticked message
// gets a session of its own (its deletion is committed by the QUIT), so the
// numbers still to come are below the ones already deleted and stay valid.
// What the order cannot guard against is a mailbox changed by someone else
// since the list was built. A row whose message has a unique id is deleted
// by that id, under whatever number it has now, and skipped when it is
// gone; without an id (a server without UIDL, or an id the listing gave
// twice) the number is checked against what its row shows before the DELE.
DeletionOutcome Mailbox::DeleteTicked() {
  DeletionOutcome outcome;
  client_->Disconnect();
  ApplySettings(settings_, *client_);
  const int tickedCount = list_.TickedCount();
  int deletedCount = 0;
  try {
    for (int row = 0; row < list_.Count() && !events_.Closing(); ++row) {
      if (!list_.Row(row).Ticked) continue;
      bool deleted = false;
      try {
        client_->Connect();
        events_.StatusChanged("Working ...");
        const std::int32_t msg = list_.Row(row).Number;
        const std::string& id = list_.Row(row).UniqueId;
        std::optional<std::int32_t> current;
        if (!id.empty()) {
          current = CurrentNumber(msg, id);
        } else if (TickedMessageUnchanged(row, msg)) {
          current = msg;
        }
        if (current) {
          client_->DeleteMessage(*current);
          deleted = true;
          platform::Sleep(kPauseAfterDeleteMs);
        } else {
          ++outcome.Changed;
        }
      } catch (const net::ESockError&) {
        // The connection broke or a wait was cut short: nothing of this
        // session was committed, and a QUIT on it could only fail. Dropped
        // without QUIT, the next ticked message always gets its session.
        client_->Abort();
      } catch (const std::exception&) {
        // The failure events have said what they say; the next ticked
        // message gets a session of its own.
      }
      // The server removes the message only when this session ends well.
      client_->Disconnect();
      if (deleted) ++deletedCount;
    }
  } catch (const std::exception&) {
    // A failure outside one message's work (a refused QUIT) ends the walk.
  }
  list_.Clear();
  // Whatever kept a ticked message on the server, the user hears of it.
  outcome.Failed = tickedCount - deletedCount - outcome.Changed;
  return outcome;
}

// Without an id, a message is known by what its row shows: the same size,
// and, when the row shows a summary, the same sender, subject and date
// (decoded alike; the date also as sent, since the shown one drops the
// seconds and the zone).
bool Mailbox::TickedMessageUnchanged(int row, std::int32_t msg) {
  if (msg < 1 || msg > client_->MailCount()) return false;
  if (client_->Busy()) throw platform::Exception("The message could not be compared with its row");
  try {
    client_->FetchSummary(msg);
  } catch (const net::ESockError&) {
    throw;
  } catch (const platform::Exception&) {
    // TOP or LIST refused, or a size that is no number: the server no
    // longer has this number. Anything that closed the session is a
    // failure of its own.
    if (!client_->IsConnected()) throw;
    return false;
  }
  const pop3::TSummary& summary = client_->Summary();
  const MessageRow& shown = list_.Row(row);
  if (summary.Bytes != shown.Size) return false;
  if (!shown.ShowsSummary()) return true;
  const std::string header = LinesText(summary.Header);
  for (const ShownField& field : kShownFields) {
    const std::string value = FieldValue(header, field).value_or("");
    const ShownText& cell = field.Which == ShownField::Sender    ? shown.From
                            : field.Which == ShownField::Subject ? shown.Subject
                                                                 : shown.Date;
    if (ShownFieldText(field, value) != cell.Text) return false;
    if (field.Which == ShownField::Date && FieldHint(field, value) != cell.Hint) return false;
  }
  return true;
}

}  // namespace mailbox
