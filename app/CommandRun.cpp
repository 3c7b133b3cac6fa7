#include "app/CommandRun.h"

#include "app/MailboxChoice.h"
#include "app/POP3Unit1.h"
#include "app/SettingsStore.h"
#include "app/StatusLine.h"
#include "platform/core/Translate.h"

namespace app {

// The last command to end carries out a close that came while it waited.
CommandRun::Scope::~Scope() {
  if (--run_.depth_ == 0 && run_.closeRequested_) run_.form_.Window->PostClose();
}

bool CommandRun::MayClose() {
  if (depth_ > 0) {
    closeRequested_ = true;
    // The automatic check may be in any of the mailboxes' sessions.
    for (std::size_t i = 0; i < form_.choice_->Count(); ++i) form_.choice_->Account(i).Box.Abort();
    return false;
  }
  closeRequested_ = false;
  return true;
}

void CommandRun::ShowListForCommand() {
  form_.status_->Clear();
  form_.Memo1->Hide();
  form_.ViewerFetch = false;
  form_.StringGrid1->Show();
  form_.status_->Show(platform::Tr("Status", "Connecting ..."));
  form_.SetControlsEnabled(false);
}

void CommandRun::BeginUserListCommand() {
  form_.SetApplicationTitle(kApplicationTitle);
  form_.MailAlerted = false;
  form_.Timer1->SetEnabled(false);
  form_.HideRuleEdits();
  ShowListForCommand();
}

void CommandRun::ApplyMailboxSettings() { form_.Mailbox().SetSettings(form_.settings_->ForCommand()); }

void CommandRun::PrepareSession() {
  ApplyMailboxSettings();
  form_.SavedCursor = platform::ScreenCursor();
  platform::SetScreenCursor(platform::CursorShape::HourGlass);
}

void CommandRun::RestartAutoCheckTimer() {
  form_.Timer1->SetEnabled(false);
  form_.Timer1->SetEnabled(true);
}

}  // namespace app
