#include <exception>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "codec/CharacterClasses.h"
#include "mailbox/Mailbox.h"
#include "mailbox/ShownFields.h"
#include "net/LineSocket.h"
#include "pop3/Pop3Reply.h"

namespace mailbox {

namespace {

// A row as the boxes name it: what the list showed of it.
std::string Described(const MessageRow& row) {
  std::string text = row.From.Text.empty() ? "(unknown sender)" : row.From.Text;
  text += ": " + (row.Subject.Text.empty() ? std::string("(no subject)") : row.Subject.Text);
  return text + " (" + std::to_string(row.Size) + " bytes)";
}

}  // namespace

// One session deletes every ticked message: each ticked row is first found
// again (by its unique id in one listing of ids, or, without an id, by
// comparing the message under its number with what the row shows), then
// every DELE goes out (together when the server pipelines), and QUIT
// commits them. POP3 removes nothing before QUIT's answer: a session that
// breaks before it deleted nothing, and nothing is tried again, so that no
// message can be deleted twice. The list is emptied whatever the outcome.
DeletionOutcome Mailbox::DeleteTicked() {
  DeletionOutcome outcome;
  std::vector<int> ticked;
  for (int row = 0; row < list_.Count(); ++row)
    if (list_.Row(row).Ticked) ticked.push_back(row);
  if (ticked.empty() || events_.Closing()) {
    list_.Clear();
    return outcome;
  }
  outcome.Session = OpenSession(false);
  if (outcome.Session == LogIn::Done) {
    DeleteInSession(ticked, outcome);
  } else {
    for (int row : ticked) outcome.NotDeleted.push_back(Described(list_.Row(row)));
  }
  list_.Clear();
  return outcome;
}

void Mailbox::DeleteInSession(const std::vector<int>& ticked, DeletionOutcome& outcome) {
  std::vector<int> rows;
  std::vector<std::int32_t> numbers;
  try {
    for (const auto& [row, number] : LocateTicked(ticked)) {
      if (!number) {
        outcome.Changed.push_back(Described(list_.Row(row)));
        continue;
      }
      rows.push_back(row);
      numbers.push_back(*number);
    }
    // Closing the window while the rows were found deletes nothing.
    if (events_.Closing()) throw net::EAbortError("The deletion was stopped");
    if (numbers.size() >= 2) client_->LearnCapabilities();
    const std::vector<bool> marked = client_->DeleteMessages(numbers);
    std::vector<std::string> markedRows;
    for (std::size_t i = 0; i < rows.size(); ++i)
      (marked[i] ? markedRows : outcome.Refused).push_back(Described(list_.Row(rows[i])));
    // A connection the server closed after the last answer takes the
    // deletions with it: Disconnect would find nothing to sign off.
    if (!client_->IsConnected()) throw net::ESockError(pop3::kConnectionClosedText);
    try {
      client_->Disconnect();
    } catch (const pop3::ERefused& refusal) {
      // "-ERR" to QUIT: the server may have removed some of them.
      const std::string reason = codec::WithoutDirectionOverrides(refusal.ServerText());
      outcome.QuitRefused = reason.empty() ? std::string("no reason given") : reason;
      outcome.Uncertain = std::move(markedRows);
      return;
    }
    outcome.Deleted = static_cast<int>(markedRows.size());
  } catch (const std::exception& failure) {
    client_->Abort();
    outcome.Changed.clear();
    outcome.Refused.clear();
    outcome.NotDeleted.clear();
    for (int row : ticked) outcome.NotDeleted.push_back(Described(list_.Row(row)));
    outcome.Lost = NoteFor(failure, client_->TimedOut());
  }
}

// Rows with a unique id are found in one listing of ids (an id it gives
// twice names no message); rows without one, and every row when the server
// no longer lists ids, are compared with the message under their number.
std::vector<std::pair<int, std::optional<std::int32_t>>> Mailbox::LocateTicked(const std::vector<int>& ticked) {
  std::vector<std::pair<int, std::optional<std::int32_t>>> located;
  std::optional<std::map<std::string, std::vector<std::int32_t>>> numbersById;
  for (int row : ticked) {
    const MessageRow& shown = list_.Row(row);
    if (!shown.UniqueId.empty() && !numbersById) {
      numbersById.emplace();
      for (const pop3::UniqueIdEntry& entry : client_->UniqueIdListing()) (*numbersById)[entry.Id].push_back(entry.Msg);
    }
    if (shown.UniqueId.empty() || numbersById->empty()) {
      located.emplace_back(row, TickedMessageUnchanged(row, shown.Number) ? std::optional(shown.Number) : std::nullopt);
      continue;
    }
    auto found = numbersById->find(shown.UniqueId);
    located.emplace_back(row, found != numbersById->end() && found->second.size() == 1
                                  ? std::optional(found->second.front())
                                  : std::nullopt);
  }
  return located;
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
