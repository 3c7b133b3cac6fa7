#pragma once

#include <string>
#include <vector>

namespace mailbox {

// A message that raised an alert, as its row shows it.
struct AlertedMessage {
  std::string From;
  std::string Subject;
};

// The desktop notification of one alerting check.
struct AlertNotice {
  std::string Summary;  // "1 message matched", "3 messages matched"
  std::string Body;     // one line per message, "sender: subject"
};

// The notice for messages (at least one): the count, then the sender and
// subject of the first kNoticeLines messages, one per line (LF), and
// "... and N more" when there are more. A missing sender reads "(unknown
// sender)", a missing subject "(no subject)".
inline constexpr int kNoticeLines = 3;
AlertNotice ComposeAlertNotice(const std::vector<AlertedMessage>& messages);

}  // namespace mailbox
