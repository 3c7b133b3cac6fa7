#pragma once

#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "mailbox/FailureNote.h"
#include "mailbox/LogInRefusal.h"
#include "mailbox/MailboxEvents.h"
#include "mailbox/MailboxSettings.h"
#include "mailbox/MessageList.h"
#include "mailbox/NetworkFailure.h"
#include "pop3/MailMessage.h"
#include "pop3/Pop3Client.h"
#include "pop3/StringList.h"
#include "pop3/SummaryPipeline.h"

namespace mailbox {

// How a command's log-in went.
enum class LogIn {
  Done,     // logged in; what failed later, if anything, the result tells
  Refused,  // the credentials were refused, or the session could not be made safe: the events said why
  Failed,   // anything else before the log-in was done: no connection, greeting or STAT refused, no password
};

struct CheckOptions {
  bool Summaries = true;  // fill each listed row's sender, subject and date
  // The user's own check: "Working ..." shows before the log-in (an
  // automatic check shows it after), events are served between the rows,
  // the progress ("3 / 12") is shown, and a stop request ends the walk.
  bool Manual = false;
  // At most this many rows (0: no limit); see ListTotal.
  int FetchLimit = 0;
};

struct CheckOutcome {
  LogIn Session = LogIn::Failed;
  // A log-in that Failed because the network failed it (nothing the user
  // must change): how.
  std::optional<NetworkFailure> Unreached;
  std::int32_t MailCount = 0;  // the count STAT gave
  // The processing total of a check that found mail: the walk's last row
  // index (inclusive), MailCount, or FetchLimit - 1 under a limit. Set only
  // when MailCount > 0.
  std::optional<int> ListTotal;
  bool Listed = false;  // the listing went through
  // What the list shows is not all there is, and why.
  std::optional<FailureNote> Incomplete;
  // Session LogIn::Refused: what the server said.
  std::optional<LogInRefusal> Refusal;
};

// What a deletion did with the ticked rows, each named as the list showed
// it ("sender: subject (size bytes)").
struct DeletionOutcome {
  LogIn Session = LogIn::Done;  // no session is opened when nothing is ticked
  int Deleted = 0;
  std::vector<std::string> Changed;     // kept: the mailbox changed since the check, or the row's message is in doubt
  std::vector<std::string> Refused;     // kept: the server refused DELE
  std::vector<std::string> NotDeleted;  // kept: no session, or it broke before QUIT was answered
  // QUIT was refused: the server's words, and the rows marked for deletion
  // that it may or may not have removed.
  std::optional<std::string> QuitRefused;
  std::vector<std::string> Uncertain;
  // The session broke before QUIT was answered (nothing was deleted): why.
  std::optional<FailureNote> Lost;
};

struct ViewOutcome {
  LogIn Session = LogIn::Failed;
  // The mailbox is empty, or the message is no longer in it.
  bool Gone = false;
  // The fetch went through: Header (header view) or Message (body view)
  // holds what it read.
  bool Fetched = false;
  pop3::StringList Header;
  pop3::TMailMessage Message;
  // Fetched after the log-in, but failed.
  std::optional<FailureNote> Failure;
  // The server refused QUIT (or the connection broke there): raised by the
  // caller once it has shown what was fetched.
  std::exception_ptr QuitFailure;
};

// One POP3 mailbox: its settings, the rows its last check listed (the list
// that the window draws), and the commands on it, each a session of its
// own. Knows no widget; tells what happens through MailboxEvents.
//
// Rows name their messages by unique id where the server gives ids (and
// none repeats), else by number, checked against what the row shows before
// anything is deleted. Commands run one at a time, on the caller's thread;
// their waits serve the event loop.
class Mailbox {
 public:
  // The most a step of a session waits for the server.
  static constexpr int kServerTimeOutMs = 60000;

  explicit Mailbox(MailboxEvents& events);
  ~Mailbox();
  Mailbox(const Mailbox&) = delete;
  Mailbox& operator=(const Mailbox&) = delete;

  // The settings of the next commands.
  void SetSettings(MailboxSettings settings) { settings_ = std::move(settings); }
  const MailboxSettings& Settings() const { return settings_; }

  MessageList& List() { return list_; }
  const MessageList& List() const { return list_; }
  // The least seconds the server wants between two log-ins, as its last
  // CAPA answer said ("LOGIN-DELAY n"); nothing when it named none.
  std::optional<int> LogInDelay() const { return logInDelay_; }

  // Lists the mailbox into the list (emptied first) and, as asked, fills
  // the rows' summaries. Fills outcome as it goes; raises only when the
  // closing QUIT fails (the server refused it), with outcome complete.
  void Check(const CheckOptions& options, CheckOutcome& outcome);

  // Deletes the ticked rows' messages in one session, then empties the
  // list.
  DeletionOutcome DeleteTicked();

  // Fills the row's summary afresh, from the message it names now.
  void AnalyseRow(int row);

  // The summary (header view) or the whole message (body view, its
  // attachments written into folder) of message msg, listed with uniqueId
  // (empty without one).
  ViewOutcome FetchHeader(std::int32_t msg, const std::string& uniqueId);
  ViewOutcome FetchBody(std::int32_t msg, const std::string& uniqueId, const std::string& folder);

  // Ends the running command's wait at once and drops its session.
  void Abort();
  // Signs off a session left open (QUIT); nothing when none is.
  void Disconnect();

  // The client the commands talk through (its time-out, its last session).
  pop3::TPop3Client& Client() { return *client_; }

 private:
  void WireClientEvents();
  // Closes any session left open, applies the settings, logs in; "Working
  // ..." before the log-in when workingFirst, else after it. listing: the
  // session is a check's, which lists the mailbox right after the log-in.
  // A log-in that Failed for the network's reasons sets unreached.
  LogIn OpenSession(bool workingFirst, bool listing = false, std::optional<NetworkFailure>* unreached = nullptr);
  void NoteLogInDelay();
  // QUIT; a server found out of step only now is noted in note.
  void EndCheckSession(std::optional<FailureNote>& note);
  std::exception_ptr EndViewSession();
  // The first failure's note (a later one keeps it); with shortPattern, the
  // short text goes into the pattern's %1.
  void Note(std::optional<FailureNote>& note, const std::exception& failure, const std::string& shortPattern = "");

  void ListRows(const CheckOptions& options, CheckOutcome& outcome);
  void ListIds(CheckOutcome& outcome);

  // The summary walk (SummaryWalk.cpp).
  enum class RowSummary { Done, HeaderTooLong, ConnectionLost };
  void WalkSummaries(const CheckOptions& options, CheckOutcome& outcome);
  std::optional<int> WalkRowsFrom(int from, const CheckOptions& options, CheckOutcome& outcome);
  RowSummary FetchRowSummary(pop3::SummaryPipeline& summaries, int row, CheckOutcome& outcome);
  bool ResumeSummarySession();
  // The rows a walk over 0 .. lastIndex visits ask for these numbers.
  std::vector<std::int32_t> SummaryPlan(int lastIndex, int firstIndex) const;
  int WalkEnd(int lastIndex) const;
  void TakeSummary(int row);

  // In an open session: the number the message listed as msg with id has
  // now (nothing when it is gone or in doubt); msg itself without an id.
  std::optional<std::int32_t> CurrentNumber(std::int32_t msg, const std::string& id);
  // The deletion's session (Deletion.cpp): each ticked row's number now
  // (nothing when it names no message any more, or none for certain), then
  // DELE and QUIT.
  void DeleteInSession(const std::vector<int>& ticked, DeletionOutcome& outcome);
  std::vector<std::pair<int, std::optional<std::int32_t>>> LocateTicked(const std::vector<int>& ticked);
  // In an open session: whether message msg is still the one the row shows.
  bool TickedMessageUnchanged(int row, std::int32_t msg);
  // In an open view session: the current number of msg, or nothing when
  // the mailbox no longer holds it (outcome says so).
  std::optional<std::int32_t> LocateForView(std::int32_t msg, const std::string& uniqueId, ViewOutcome& outcome,
                                            bool& loggedIn);

  MailboxEvents& events_;
  std::unique_ptr<pop3::TPop3Client> client_;
  MailboxSettings settings_;
  MessageList list_;
  // The state of one check's listing: rows added and the total walked.
  int listedCount_ = 0;
  int fetchLimit_ = 0;
  int listTotal_ = 0;
  // A log-in failed before it was done; the events cleared it where they
  // said why themselves.
  bool logInPending_ = false;
  std::optional<LogInRefusal> lastRefusal_;  // of the session last opened
  std::optional<int> logInDelay_;
};

}  // namespace mailbox
