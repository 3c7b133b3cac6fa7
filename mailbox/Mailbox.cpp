#include "mailbox/Mailbox.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "pop3/Pop3Reply.h"
#include "platform/core/Translate.h"

namespace mailbox {

Mailbox::Mailbox(MailboxEvents& events) : events_(events), client_(std::make_unique<pop3::TPop3Client>()) {
  client_->SetTimeOut(kServerTimeOutMs);
  WireClientEvents();
}

// The client goes without QUIT and without telling anyone: whoever shows
// the mailbox is going away as well.
Mailbox::~Mailbox() = default;

// The client's failure events arrive while Connect runs: a refusal that
// the events explain clears logInPending_, so that the caller does not
// explain it again.
void Mailbox::WireClientEvents() {
  pop3::TPop3Client& client = *client_;
  client.OnAuthenticationFailed = [this](bool&) {
    logInPending_ = false;
    lastRefusal_ = ClassifyLogInRefusal(client_->LogInRefusal());
    events_.LogInRefused(*lastRefusal_);
  };
  client.OnConnectionFailed = [this](platform::TComponent*) { events_.ConnectionFailed(); };
  client.OnInvalidHost = [this](bool&) { events_.HostNotFound(); };
  client.OnSecurityFailure = [this](const std::string& text) {
    logInPending_ = false;
    events_.SecurityRefused(text, client_->Host, client_->TlsOffered());
  };
  client.OnPlaintextLogin = [this](bool& handled) { handled = events_.PlaintextLogInAllowed(client_->Host); };
  client.OnConnect = [this](platform::TComponent*) {
    events_.LoggedIn(client_->Host, client_->SessionTls(), client_->TlsOffered());
  };
  client.OnFailure = [this](platform::TComponent*) { events_.DeletionRefused(); };
  client.OnDecodeStart = [this](std::string& fileName) { events_.AttachmentStarting(fileName); };
  client.OnDecodeEnd = [this](platform::TComponent*) { events_.AttachmentSaved(); };
}

void Mailbox::Abort() { client_->Abort(); }

void Mailbox::Disconnect() { client_->Disconnect(); }

LogIn Mailbox::OpenSession(bool workingFirst, bool listing, std::optional<NetworkFailure>* unreached) {
  client_->Disconnect();
  ApplySettings(settings_, *client_);
  client_->ListOnLogIn = listing;
  lastRefusal_.reset();
  if (workingFirst) events_.StatusChanged(platform::Tr("Status", "Working ..."));
  logInPending_ = true;
  try {
    client_->Connect();
  } catch (const std::exception& failure) {
    // The events have told what they tell; the caller tells the rest.
    if (!logInPending_) return LogIn::Refused;
    if (unreached) *unreached = ClassifyLogInFailure(failure, client_->TimedOut(), client_->ConnectError());
    return LogIn::Failed;
  }
  logInPending_ = false;
  NoteLogInDelay();
  if (!workingFirst) events_.StatusChanged(platform::Tr("Status", "Working ..."));
  return LogIn::Done;
}

// What the session's CAPA answer says counts until another answer says
// otherwise; a session that learnt nothing (no CAPA asked yet) changes
// nothing.
void Mailbox::NoteLogInDelay() {
  const pop3::ServerCapabilities& capabilities = client_->Capabilities();
  if (const std::optional<int> seconds = LogInDelaySeconds(capabilities)) {
    logInDelay_ = seconds;
  } else if (!client_->CapabilityLines().empty()) {
    logInDelay_.reset();
  }
}

void Mailbox::Note(std::optional<FailureNote>& note, const std::exception& failure, const std::string& shortPattern) {
  if (note || events_.Closing()) return;
  FailureNote made = NoteFor(failure, client_->TimedOut());
  if (!shortPattern.empty()) made.Short = platform::Substitute(shortPattern, {made.Short});
  note = std::move(made);
}

// QUIT at the end of a check: a server found out of step only then has its
// answers in the rows already checked one by one, but the check says so.
void Mailbox::EndCheckSession(std::optional<FailureNote>& note) {
  NoteLogInDelay();
  try {
    client_->Disconnect();
  } catch (const pop3::EOutOfStep& failure) {
    Note(note, failure);
  }
}

// A view on screen is complete; its session just ends. Another failure
// of QUIT is handed back, to be raised once the view is shown.
std::exception_ptr Mailbox::EndViewSession() {
  try {
    client_->Disconnect();
  } catch (const pop3::EOutOfStep&) {
  } catch (const std::exception&) {
    return std::current_exception();
  }
  return nullptr;
}

void Mailbox::Check(const CheckOptions& options, CheckOutcome& outcome) {
  list_.Clear();
  outcome = CheckOutcome();
  outcome.Session = OpenSession(options.Manual, true, &outcome.Unreached);
  if (outcome.Session != LogIn::Done) {
    if (outcome.Session == LogIn::Refused) outcome.Refusal = lastRefusal_;
    client_->Disconnect();
    return;
  }
  try {
    outcome.MailCount = client_->MailCount();
    if (outcome.MailCount > 0) {
      ListRows(options, outcome);
      ListIds(outcome);
      if (options.Summaries) WalkSummaries(options, outcome);
    }
  } catch (const std::exception&) {
    // A listing cut short has noted so; the rows listed stay.
  }
  EndCheckSession(outcome.Incomplete);
}

// Rows go on top as the listing arrives; under a limit, the first
// FetchLimit messages of the listing are kept.
void Mailbox::ListRows(const CheckOptions& options, CheckOutcome& outcome) {
  const std::int32_t count = outcome.MailCount;
  listTotal_ = count;
  if (options.FetchLimit > 0 && options.FetchLimit <= count) listTotal_ = options.FetchLimit - 1;
  outcome.ListTotal = listTotal_;
  fetchLimit_ = options.FetchLimit;
  listedCount_ = 0;
  client_->OnList = [this](std::int32_t msg, std::int32_t size) {
    if (fetchLimit_ > 0 && listedCount_ > fetchLimit_ - 1) return;
    list_.AddListed(msg, size);
    ++listedCount_;
  };
  const std::string counted = std::to_string(count);
  try {
    client_->ListMessages();
  } catch (const std::exception& failure) {
    client_->OnList = nullptr;
    // The failure's short text takes the %1 left in place here.
    Note(outcome.Incomplete, failure,
         platform::Substitute(platform::Tr("Mailbox", "%1, %2 of %3 listed"),
                              {"%1", std::to_string(listedCount_), counted}));
    throw;
  }
  client_->OnList = nullptr;
  outcome.Listed = true;
  const int expected = options.FetchLimit > 0 ? std::min(options.FetchLimit, count) : count;
  if (listedCount_ < expected && !outcome.Incomplete && !events_.Closing()) {
    const std::string listed = std::to_string(listedCount_);
    outcome.Incomplete = FailureNote{
        platform::Substitute(platform::Tr("Mailbox", "%1 of %2 listed"), {listed, counted}),
        platform::Substitute(platform::Tr("Mailbox", "The server counted %1 messages but listed only %2 of them."),
                             {counted, listed})};
  }
}

// A row is named by its unique id, which outlives the session; its number
// holds only until the mailbox changes. Ids that cannot be read leave the
// rows to the checks made without them.
void Mailbox::ListIds(CheckOutcome& outcome) {
  std::map<std::int32_t, std::string> ids;
  try {
    client_->ListUniqueIds(ids);
  } catch (const std::exception& failure) {
    ids.clear();
    // A listing of ids cut short costs the session its summaries.
    if (!client_->IsConnected()) Note(outcome.Incomplete, failure);
  }
  list_.SetUniqueIds({ids.begin(), ids.end()});
}

std::optional<std::int32_t> Mailbox::CurrentNumber(std::int32_t msg, const std::string& id) {
  if (id.empty()) return msg;
  return client_->LocateMessage(msg, id);
}

}  // namespace mailbox
