#include <string>

#include "app/CommandRun.h"
#include "app/POP3Unit1.h"
#include "app/RunThenFinish.h"
#include "app/StatusLine.h"

namespace app {

namespace {

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

// The mailbox deletes the ticked rows' messages and empties the list,
// whatever the outcome; the window tells what was left on the server. The
// cursor goes back to the one the last command saved: this command saves
// none.
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
          if (outcome.Changed > 0) platform::ShowInformation(ChangedMailboxText(outcome.Changed));
          if (outcome.Failed > 0) platform::ShowInformation(NotDeletedText(outcome.Failed));
        }
        SetControlsEnabled(true);
        commands_->RestartAutoCheckTimer();
      });
}

}  // namespace app
