#include "mailbox/AlertNotice.h"
#include "platform/core/Translate.h"

namespace mailbox {

using platform::Substitute;
using platform::Tr;

AlertNotice ComposeAlertNotice(const std::vector<AlertedMessage>& messages) {
  AlertNotice notice;
  std::size_t count = messages.size();
  notice.Summary = Substitute(count == 1 ? Tr("Alert", "%1 message matched") : Tr("Alert", "%1 messages matched"),
                              {std::to_string(count)});
  std::size_t shown = 0;
  for (const AlertedMessage& message : messages) {
    if (shown == kNoticeLines) break;
    if (shown++ > 0) notice.Body += "\n";
    notice.Body += Substitute(Tr("Alert", "%1: %2"),
                              {message.From.empty() ? Tr("Alert", "(unknown sender)") : message.From,
                               message.Subject.empty() ? Tr("Alert", "(no subject)") : message.Subject});
  }
  if (count > shown) notice.Body += "\n" + Substitute(Tr("Alert", "... and %1 more"), {std::to_string(count - shown)});
  return notice;
}

}  // namespace mailbox
