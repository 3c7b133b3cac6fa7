// The automatic check over several mailboxes: each one the user left in it
// (AutoCheck=Yes), one session after another. A mailbox that fails is
// named in the tray hint and passed over; the others are still checked.
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "app/AutoCheck.h"
#include "app/CommandRun.h"
#include "app/DesktopAlerts.h"
#include "app/MailboxChoice.h"
#include "app/POP3Unit1.h"
#include "app/SettingsStore.h"
#include "mailbox/AlertNotice.h"
#include "mailbox/MatchRules.h"
#include "mailbox/NetworkFailure.h"
#include "platform/core/Translate.h"

namespace app {

namespace {

std::string FailureWords(const mailbox::CheckOutcome& outcome) {
  if (outcome.Unreached) return mailbox::Words(*outcome.Unreached);
  if (outcome.Session == mailbox::LogIn::Refused) return platform::Tr("Mailboxes", "log-in refused");
  return platform::Tr("Mailboxes", "no session");
}

std::string MatchedNote(const std::string& name, std::size_t count) {
  return platform::Substitute(platform::Tr("Mailboxes", "%1: %2 matched"), {name, std::to_string(count)});
}

std::string Joined(const std::vector<std::string>& parts, const char* separator) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : separator) + part;
  return text;
}

// Failures of one mailbox are told in the hint, not in boxes, while the
// loop runs.
class QuietFailures {
 public:
  explicit QuietFailures(bool& flag) : flag_(flag) { flag_ = true; }
  ~QuietFailures() { flag_ = false; }
  QuietFailures(const QuietFailures&) = delete;
  QuietFailures& operator=(const QuietFailures&) = delete;

 private:
  bool& flag_;
};

}  // namespace

// The back-off follows the first mailbox that was reached (or, with none,
// the last one's failure); the watch itself never stops for one mailbox.
void AutoCheck::CheckEveryMailbox(mailbox::CheckOutcome& shown) {
  TForm1& f = form_;
  MailboxChoice& choice = *f.choice_;
  QuietFailures quiet(f.QuietFailures);
  const mailbox::Rules rules{f.Edit1->Text(), f.Edit2->Text(), f.Edit3->Text()};
  std::vector<std::string> notes;
  std::vector<std::string> matched;
  std::vector<mailbox::AlertedMessage> messages;
  std::optional<std::size_t> firstMatched;
  std::optional<mailbox::CheckOutcome> reached;
  std::optional<mailbox::CheckOutcome> last;
  f.SavedCursor = platform::ScreenCursor();
  platform::SetScreenCursor(platform::CursorShape::HourGlass);
  choice.Park();
  for (std::size_t i = 0; i < choice.Count() && !f.commands_->CloseRequested(); ++i) {
    MailboxAccount& account = choice.Account(i);
    if (!account.AutoCheck) continue;
    mailbox::CheckOutcome outcome;
    account.Box.SetSettings(f.settings_->ForMailbox(i));
    try {
      account.Box.Check({true, false, f.FetchLimit}, outcome);
    } catch (const std::exception&) {
      // A refused QUIT: the rows listed stand, and the next mailbox is due.
    }
    if (i == choice.Chosen()) {
      shown = outcome;
      if (outcome.ListTotal) f.ListTotal = *outcome.ListTotal;
    }
    last = outcome;
    if (outcome.Session != mailbox::LogIn::Done) {
      notes.push_back(
          platform::Substitute(platform::Tr("Mailboxes", "%1: failed: %2"), {account.ShownName(), FailureWords(outcome)}));
      continue;
    }
    if (!reached) reached = outcome;
    if (!outcome.Listed) continue;
    const mailbox::RuleVerdict verdict = mailbox::JudgeRows(rules, account.Box.List());
    if (verdict.Matches == 0 && !verdict.AnyMailAlert) continue;
    const mailbox::MessageList& list = account.Box.List();
    const std::size_t count = verdict.AlertRows.empty() ? static_cast<std::size_t>(list.Count()) : verdict.AlertRows.size();
    notes.push_back(MatchedNote(account.ShownName(), count));
    matched.push_back(notes.back());
    if (!firstMatched) firstMatched = i;
    for (int row : verdict.AlertRows) messages.push_back({list.Row(row).From.Text, list.Row(row).Subject.Text});
  }
  f.ConnectPending = false;
  if (reached || last) schedule_.Finished(reached ? *reached : *last);
  mailboxNotes_ = Joined(notes, "\n");
  ShowState();
  if (!firstMatched || f.commands_->CloseRequested()) return;
  f.RaiseMailAlert();
  const std::string body = messages.empty() ? std::string() : mailbox::ComposeAlertNotice(messages).Body;
  f.alerts_->NotifyMailboxes(Joined(matched, ", "), body, *firstMatched);
}

}  // namespace app
