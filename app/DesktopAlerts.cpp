#include "app/DesktopAlerts.h"

#include <string>

#include "app/MailboxChoice.h"
#include "app/POP3Unit1.h"
#include "app/Settings.h"
#include "mailbox/AlertNotice.h"
#include "platform/gui/Autostart.h"
#include "pop3/TextHelpers.h"

namespace app {

void DesktopAlerts::ApplyDesktopSettings() {
  using namespace settings;
  platform::ProfileFile file = SettingsFile();
  notify_ = pop3::AsciiUpper(file.ReadString(kDesktop, kNotify, "Yes")) != "NO";
  const std::string autostart = pop3::AsciiUpper(file.ReadString(kDesktop, kAutostart, ""));
  if (autostart == "YES") platform::WriteAutostartEntry();
  if (autostart == "NO") platform::RemoveAutostartEntry();
}

void DesktopAlerts::NotifyMailAlert(const std::vector<int>& alertRows) {
  if (alertRows.empty() || !notify_) return;
  const mailbox::MessageList& list = form_.Mailbox().List();
  std::vector<mailbox::AlertedMessage> messages;
  for (int row : alertRows) messages.push_back({list.Row(row).From.Text, list.Row(row).Subject.Text});
  const mailbox::AlertNotice notice = mailbox::ComposeAlertNotice(messages);
  alertMailbox_.reset();
  form_.Notifier1->Notify(notice.Summary, notice.Body);
}

void DesktopAlerts::NotifyMailboxes(const std::string& summary, const std::string& body, std::size_t firstMailbox) {
  alertMailbox_ = firstMailbox;
  if (!notify_) return;
  form_.Notifier1->Notify(summary, body);
}

void DesktopAlerts::Activated() {
  if (!alertMailbox_ || *alertMailbox_ >= form_.choice_->Count()) return;
  form_.choice_->ChooseWithRows(*alertMailbox_);
}

// A click on the notice brings the window back, from the tray or from
// behind other windows.
void TForm1::Notifier1Activated() {
  Restore1Click();
  alerts_->Activated();
}

}  // namespace app
