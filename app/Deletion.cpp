#include <string>
#include <vector>

#include "app/CommandRun.h"
#include "app/POP3Unit1.h"
#include "app/RunThenFinish.h"
#include "app/StatusLine.h"
#include "platform/core/Translate.h"

namespace app {

namespace {

// The rows a box names, one per line after the box's sentence.
std::string Named(const std::string& sentence, const std::vector<std::string>& rows) {
  std::string text = sentence + "\n";
  for (const std::string& row : rows) text += "\n" + row;
  return text;
}

using platform::Substitute;
using platform::Tr;

std::string ChangedMailboxText(const std::vector<std::string>& rows) {
  return Named(Substitute(Tr("Deletion", "%1 ticked message(s) were not deleted because the mailbox changed since the "
                                         "last check. Check again and tick them anew."),
                          {std::to_string(rows.size())}),
               rows);
}

std::string RefusedText(const std::vector<std::string>& rows) {
  return Named(Substitute(Tr("Deletion", "The server refused to delete %1 ticked message(s). They are still on the "
                                         "server."),
                          {std::to_string(rows.size())}),
               rows);
}

std::string NotDeletedText(const mailbox::DeletionOutcome& outcome) {
  const std::string count = std::to_string(outcome.NotDeleted.size());
  if (outcome.Lost) {
    return Named(Substitute(Tr("Deletion", "The connection to the server broke before it confirmed the deletion (%1), "
                                           "so nothing was deleted: all %2 ticked message(s) are still on the server. "
                                           "Check again."),
                            {outcome.Lost->Short, count}),
                 outcome.NotDeleted);
  }
  return Named(Substitute(Tr("Deletion", "%1 ticked message(s) were not deleted: the server could not be reached or "
                                         "refused the log-in. They are still on the server; check again."),
                          {count}),
               outcome.NotDeleted);
}

std::string UncertainText(const mailbox::DeletionOutcome& outcome) {
  return Named(Substitute(Tr("Deletion", "The server did not confirm the deletion (%1): some of these %2 ticked "
                                         "message(s) may still be on the server. Check again."),
                          {*outcome.QuitRefused, std::to_string(outcome.Uncertain.size())}),
               outcome.Uncertain);
}

}  // namespace

// The mailbox deletes the ticked rows' messages in one session and empties
// the list, whatever the outcome; the window tells, in a box for each kind,
// which ticked messages were left on the server. The cursor goes back to
// the one the last command saved: this command saves none.
void TForm1::DeleteButtonClick() {
  CommandRun::Scope command(*commands_);
  CheckButton->SetHint("");
  commands_->BeginUserListCommand();
  mailbox::DeletionOutcome outcome;
  RunThenFinish(
      [&] {
        commands_->ApplyMailboxSettings();
        ListTotal = StringGrid1->RowCount();
        platform::SetScreenCursor(platform::CursorShape::HourGlass);
        outcome = mailbox_->DeleteTicked();
      },
      [&] {
        platform::SetScreenCursor(SavedCursor);
        status_->Hide();
        if (!commands_->CloseRequested()) {
          if (!outcome.Changed.empty()) platform::ShowInformation(ChangedMailboxText(outcome.Changed));
          if (!outcome.Refused.empty()) platform::ShowInformation(RefusedText(outcome.Refused));
          if (!outcome.NotDeleted.empty()) platform::ShowInformation(NotDeletedText(outcome));
          if (outcome.QuitRefused) platform::ShowInformation(UncertainText(outcome));
        }
        SetControlsEnabled(true);
        commands_->RestartAutoCheckTimer();
      });
}

}  // namespace app
