#include "app/MailboxAccount.h"

#include "app/Settings.h"

namespace app {

namespace {
constexpr const char* kUnnamedMailbox = "New mailbox";
}  // namespace

MailboxAccount::MailboxAccount(int index, mailbox::MailboxEvents& events)
    : Passwords(MailboxSection(index), KeyringEntry(index, "", "")), Box(events) {}

std::string MailboxAccount::ShownName() const {
  if (!Name.empty()) return Name;
  const std::string host = mailbox::SplitServerAddress(Server).Host;
  if (UserID.empty() && host.empty()) return kUnnamedMailbox;
  return UserID + "@" + host;
}

std::string MailboxSection(int index) {
  return index == 0 ? std::string(settings::kEmail) : settings::kEmail + std::to_string(index + 1);
}

std::string KeyringEntry(int index, const std::string& userID, const std::string& server) {
  return index == 0 ? std::string(settings::kKeyringEntry) : std::string(settings::kKeyringEntry) + " " + userID + "@" + server;
}

}  // namespace app
