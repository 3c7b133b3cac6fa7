#include <exception>
#include <string>

#include "app/MessageRows.h"
#include "app/POP3Unit1.h"
#include "net/LineSocket.h"
#include "platform/core/EventLoop.h"
#include "pop3/SummaryPipeline.h"

namespace app {

namespace {

// A server that drops every session at some message would otherwise be
// asked for a new one per row.
constexpr int kMaxSessionRestarts = 3;

}  // namespace

// Walks the rows up to and including ListTotal, never past the rows the
// listing gave (ListTotal comes from the server's STAT). A message whose
// summary fails while the connection holds keeps its row empty and the walk
// goes on. A message whose header is past the caps costs the connection
// (its answer is left unread), but it is the message's fault, not the
// server's: its row stays empty and the rows after it are walked in a new
// session, when the mailbox still holds the same messages under the same
// numbers. Any other lost connection ends the walk.
void TForm1::WalkSummaries(bool manual) {
  int from = 0;
  for (int restarts = 0;; ++restarts) {
    const std::optional<int> tooLongAt = WalkRowsFrom(from, manual);
    if (!tooLongAt || CloseRequested || (manual && StopRequested)) return;
    if (restarts == kMaxSessionRestarts || !ResumeSummarySession()) {
      NoteIncomplete("header too long",
                     "A message's header was too long to read, which cost the connection; the rows after it could "
                     "not be read in a new session.");
      return;
    }
    from = *tooLongAt + 1;
  }
}

// The summaries' commands go out ahead of their answers where the server
// allows it; what was asked for and not taken is read when the walk ends.
std::optional<int> TForm1::WalkRowsFrom(int from, bool manual) {
  pop3::SummaryPipeline summaries(*POP3, SummaryPlan(*StringGrid1, ListTotal, from));
  std::optional<int> tooLongAt;
  try {
    for (int row = from; row <= WalkEnd(*StringGrid1, ListTotal) && !CloseRequested; ++row) {
      if (manual) platform::PumpEvents();
      if (StringGrid1->HasCheckBox(kTickColumn, row)) {
        const RowSummary outcome = FetchRowSummary(summaries, row);
        if (outcome == RowSummary::HeaderTooLong) tooLongAt = row;
        if (outcome != RowSummary::Done) break;
        if (manual) ShowStatus(std::to_string(row + 1) + " / " + std::to_string(ListTotal));
      }
      if (manual && StopRequested) break;
    }
  } catch (const std::exception& failure) {
    // Rows keep what they have; the check goes on.
    NoteIncomplete(failure);
  }
  summaries.Finish();
  return tooLongAt;
}

TForm1::RowSummary TForm1::FetchRowSummary(pop3::SummaryPipeline& summaries, int row) {
  SummaryRow = row;
  try {
    summaries.FetchSummary(RowMessageNumber(*StringGrid1, row));
  } catch (const net::ESockError& failure) {
    NoteIncomplete(failure);
    return RowSummary::ConnectionLost;
  } catch (const pop3::EHeaderTooLong&) {
    return RowSummary::HeaderTooLong;
  } catch (const platform::Exception& failure) {
    // Refused or unreadable: this message alone, while the connection
    // holds. An answer given up midway, a lost connection and answers out
    // of step cost the connection, and the walk; the rows not filled say
    // so. (The summaries are handed out only once their answers were
    // found in step, so no row is filled from another message's answer.)
    if (CloseRequested || !POP3->IsConnected()) {
      NoteIncomplete(failure);
      return RowSummary::ConnectionLost;
    }
  }
  return RowSummary::Done;
}

// The rows name messages by the numbers of the session that listed them:
// a new session serves them only while those numbers still name the same
// messages (the same ids by UIDL; without UIDL, the same count).
bool TForm1::ResumeSummarySession() {
  const std::int32_t listedCount = POP3->MailCount();
  try {
    POP3->Connect();
    if (POP3->MailCount() != listedCount) return false;
    if (ListedIds.empty()) return true;
    std::map<std::int32_t, std::string> ids;
    return POP3->ListUniqueIds(ids) && ids == ListedIds;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace app
