// The commands on one row: its summary afresh (the right-click analysis),
// and the header and body views, each a session of its own.
#include <exception>
#include <optional>
#include <string>

#include "mailbox/Mailbox.h"
#include "platform/core/Files.h"
#include "platform/core/Memory.h"

namespace mailbox {

// A message that is gone since the check leaves the row as it is; a
// failure is told only by the events (a refused log-in).
void Mailbox::AnalyseRow(int row) {
  if (!list_.Has(row)) return;
  const std::int32_t msg = list_.Row(row).Number;
  const std::string id = list_.Row(row).UniqueId;
  try {
    client_->Disconnect();
    ApplySettings(settings_, *client_);
    client_->Connect();
    // The row's message, wherever the mailbox has moved it since the check.
    if (std::optional<std::int32_t> current = CurrentNumber(msg, id)) {
      client_->FetchSummary(*current);
      if (list_.Has(row)) TakeSummary(row);
    }
  } catch (const std::exception&) {
  }
  client_->Disconnect();
}

// The view shows the message its row named, never another one that has
// taken its number since.
std::optional<std::int32_t> Mailbox::LocateForView(std::int32_t msg, const std::string& uniqueId,
                                                   ViewOutcome& outcome, bool& loggedIn) {
  outcome.Session = OpenSession(false);
  if (outcome.Session != LogIn::Done) return std::nullopt;
  loggedIn = true;
  if (client_->MailCount() < 1 || events_.Closing()) {
    outcome.Gone = client_->MailCount() < 1;
    return std::nullopt;
  }
  std::optional<std::int32_t> current = CurrentNumber(msg, uniqueId);
  if (!current) outcome.Gone = true;
  return current;
}

ViewOutcome Mailbox::FetchHeader(std::int32_t msg, const std::string& uniqueId) {
  ViewOutcome outcome;
  bool loggedIn = false;
  try {
    if (std::optional<std::int32_t> current = LocateForView(msg, uniqueId, outcome, loggedIn)) {
      client_->FetchSummary(*current);
      outcome.Header = client_->Summary().Header;
      outcome.Fetched = true;
    }
  } catch (const std::exception& failure) {
    if (loggedIn) Note(outcome.Failure, failure);
  }
  outcome.QuitFailure = EndViewSession();
  return outcome;
}

ViewOutcome Mailbox::FetchBody(std::int32_t msg, const std::string& uniqueId, const std::string& folder) {
  ViewOutcome outcome;
  bool loggedIn = false;
  client_->SetAttachFilePath(folder);
  try {
    if (std::optional<std::int32_t> current = LocateForView(msg, uniqueId, outcome, loggedIn)) {
      // Start-up creates the folder; it may have gone since.
      if (!platform::FolderExists(folder)) platform::CreateFolder(folder);
      client_->FetchMessage(*current);
      outcome.Message = std::move(client_->MailMessage());
      outcome.Fetched = true;
    }
  } catch (const std::exception& failure) {
    if (loggedIn) Note(outcome.Failure, failure);
  }
  // What a failed fetch received (up to the retrieval's cap) is never shown.
  client_->MailMessage() = pop3::TMailMessage();
  platform::ReleaseFreedMemory();
  outcome.QuitFailure = EndViewSession();
  return outcome;
}

}  // namespace mailbox
