#include "mailbox/AlertNotice.h"

namespace mailbox {

AlertNotice ComposeAlertNotice(const std::vector<AlertedMessage>& messages) {
  AlertNotice notice;
  std::size_t count = messages.size();
  notice.Summary = std::to_string(count) + (count == 1 ? " message matched" : " messages matched");
  std::size_t shown = 0;
  for (const AlertedMessage& message : messages) {
    if (shown == kNoticeLines) break;
    if (shown++ > 0) notice.Body += "\n";
    notice.Body += (message.From.empty() ? "(unknown sender)" : message.From) + ": " +
                   (message.Subject.empty() ? "(no subject)" : message.Subject);
  }
  if (count > shown) notice.Body += "\n... and " + std::to_string(count - shown) + " more";
  return notice;
}

}  // namespace mailbox
