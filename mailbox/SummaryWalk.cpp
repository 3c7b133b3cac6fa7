#include <algorithm>
#include <exception>
#include <string>

#include "mailbox/Mailbox.h"
#include "mailbox/ShownFields.h"
#include "net/LineSocket.h"
#include "platform/core/EventLoop.h"
#include "pop3/SummaryPipeline.h"
#include "platform/core/Translate.h"

namespace mailbox {

namespace {

// A server that drops every session at some message would otherwise be
// asked for a new one per row.
constexpr int kMaxSessionRestarts = 3;

}  // namespace

// The last row index a walk up to and including lastIndex visits: never
// past the index after the last row, however large lastIndex is (a count
// the server sent).
int Mailbox::WalkEnd(int lastIndex) const { return std::min(lastIndex, list_.Count()); }

std::vector<std::int32_t> Mailbox::SummaryPlan(int lastIndex, int firstIndex) const {
  std::vector<std::int32_t> plan;
  for (int row = firstIndex; row <= WalkEnd(lastIndex); ++row)
    if (list_.Has(row)) plan.push_back(list_.Row(row).Number);
  return plan;
}

// Walks the rows up to and including the list total, never past the rows
// the listing gave (the total comes from the server's STAT). A message
// whose summary fails while the connection holds keeps its row empty and
// the walk goes on. A message whose header is past the caps costs the
// connection (its answer is left unread), but it is the message's fault,
// not the server's: its row stays empty and the rows after it are walked
// in a new session, when the mailbox still holds the same messages under
// the same numbers. Any other lost connection ends the walk.
void Mailbox::WalkSummaries(const CheckOptions& options, CheckOutcome& outcome) {
  int from = 0;
  for (int restarts = 0;; ++restarts) {
    const std::optional<int> tooLongAt = WalkRowsFrom(from, options, outcome);
    if (!tooLongAt || events_.Closing() || (options.Manual && events_.StopRequested())) return;
    if (restarts == kMaxSessionRestarts || !ResumeSummarySession()) {
      if (!outcome.Incomplete)
        outcome.Incomplete = FailureNote{platform::Tr("Failure", "header too long"),
                                         platform::Tr("Failure", "A message's header was too long to read, which cost "
                                                                 "the connection; the rows after it could not be read "
                                                                 "in a new session.")};
      return;
    }
    from = *tooLongAt + 1;
  }
}

// The summaries' commands go out ahead of their answers where the server
// allows it; what was asked for and not taken is read when the walk ends.
std::optional<int> Mailbox::WalkRowsFrom(int from, const CheckOptions& options, CheckOutcome& outcome) {
  pop3::SummaryPipeline summaries(*client_, SummaryPlan(listTotal_, from));
  std::optional<int> tooLongAt;
  try {
    for (int row = from; row <= WalkEnd(listTotal_) && !events_.Closing(); ++row) {
      if (options.Manual) platform::PumpEvents();
      if (list_.Has(row)) {
        const RowSummary result = FetchRowSummary(summaries, row, outcome);
        if (result == RowSummary::HeaderTooLong) tooLongAt = row;
        if (result != RowSummary::Done) break;
        if (options.Manual) events_.StatusChanged(std::to_string(row + 1) + " / " + std::to_string(listTotal_));
      }
      if (options.Manual && events_.StopRequested()) break;
    }
  } catch (const std::exception& failure) {
    // Rows keep what they have; the check goes on.
    Note(outcome.Incomplete, failure);
  }
  summaries.Finish();
  return tooLongAt;
}

Mailbox::RowSummary Mailbox::FetchRowSummary(pop3::SummaryPipeline& summaries, int row, CheckOutcome& outcome) {
  try {
    summaries.FetchSummary(list_.Row(row).Number);
    TakeSummary(row);
  } catch (const net::ESockError& failure) {
    Note(outcome.Incomplete, failure);
    return RowSummary::ConnectionLost;
  } catch (const pop3::EHeaderTooLong&) {
    return RowSummary::HeaderTooLong;
  } catch (const platform::Exception& failure) {
    // Refused or unreadable: this message alone, while the connection
    // holds. An answer given up midway, a lost connection and answers out
    // of step cost the connection, and the walk; the rows not filled say
    // so. (The summaries are handed out only once their answers were
    // found in step, so no row is filled from another message's answer.)
    if (events_.Closing() || !client_->IsConnected()) {
      Note(outcome.Incomplete, failure);
      return RowSummary::ConnectionLost;
    }
  }
  return RowSummary::Done;
}

void Mailbox::TakeSummary(int row) {
  SummaryFields fields = ShownSummary(client_->Summary().Header);
  list_.SetSummary(row, std::move(fields.From), std::move(fields.Subject), std::move(fields.Date));
}

// The rows name messages by the numbers of the session that listed them:
// a new session serves them only while those numbers still name the same
// messages (the same ids by UIDL; without UIDL, the same count).
bool Mailbox::ResumeSummarySession() {
  const std::int32_t listedCount = client_->MailCount();
  std::map<std::int32_t, std::string> listedIds;
  for (int row = 0; row < list_.Count(); ++row)
    if (!list_.Row(row).UniqueId.empty()) listedIds[list_.Row(row).Number] = list_.Row(row).UniqueId;
  try {
    client_->Connect();
    if (client_->MailCount() != listedCount) return false;
    if (listedIds.empty()) return true;
    std::map<std::int32_t, std::string> ids;
    if (!client_->ListUniqueIds(ids)) return false;
    // Only the listed rows: under a limit the rows hold part of the mailbox.
    for (const auto& [number, id] : listedIds) {
      auto found = ids.find(number);
      if (found == ids.end() || found->second != id) return false;
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace mailbox
