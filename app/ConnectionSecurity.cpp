#include <array>
#include <cstdint>
#include <string>

#include "app/CommandRun.h"
#include "app/MailboxChoice.h"
#include "app/POP3Unit1.h"
#include "app/SettingsStore.h"
#include "mailbox/MatchRules.h"
#include "app/Settings.h"
#include "platform/gui/Dialogs.h"
#include "platform/core/Socket.h"
#include "platform/core/Translate.h"

namespace app {

using mailbox::AsciiUpper;

namespace {

struct SecurityChoice {
  const char* name;  // as in the settings file and the menu
  pop3::SecurityMode security;
  int command;       // context-menu command
};

constexpr std::array<SecurityChoice, 4> kSecurityChoices{{
    {"Auto", pop3::SecurityMode::Auto, kAboutCommand + 1},
    {"TLS", pop3::SecurityMode::TLS, kAboutCommand + 2},
    {"STARTTLS", pop3::SecurityMode::STARTTLS, kAboutCommand + 3},
    {"None", pop3::SecurityMode::None, kAboutCommand + 4},
}};

// The choice in a mailbox's section; an unknown word counts as Auto.
const SecurityChoice& ChosenSecurity(const std::string& section) {
  const std::string word =
      AsciiUpper(SettingsFile().ReadString(section, settings::kSecurity, settings::kDefaultSecurity));
  for (const SecurityChoice& choice : kSecurityChoices) {
    if (word == AsciiUpper(choice.name)) return choice;
  }
  return kSecurityChoices[0];
}

// Loopback and the private ranges: a password in clear there stays on the
// machine or the local network, and asking would only teach users to click
// Yes. Names count only as "localhost".
bool IsLocalHost(const std::string& host) {
  if (AsciiUpper(host) == "LOCALHOST" || host == "::1") return true;
  std::uint32_t address = 0;
  if (!platform::ParseDottedAddress(host, address)) {
    const std::string upper = AsciiUpper(host);
    return upper.rfind("FC", 0) == 0 || upper.rfind("FD", 0) == 0 || upper.rfind("FE80:", 0) == 0
               ? platform::IsIPv6Literal(host)
               : false;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(&address);  // network byte order
  return bytes[0] == 127 || bytes[0] == 10 || (bytes[0] == 172 && bytes[1] >= 16 && bytes[1] <= 31) ||
         (bytes[0] == 192 && bytes[1] == 168) || (bytes[0] == 169 && bytes[1] == 254);
}

}  // namespace

// pop3s:// and port 995 mean implicit TLS whatever the choice (the mailbox
// knows it from the server text).
mailbox::MailboxSettings SettingsStore::ForCommand() {
  AwaitKeyringPassword(form_.choice_->ChosenAccount());
  form_.choice_->Park();
  return ForMailbox(form_.choice_->Chosen());
}

mailbox::MailboxSettings SettingsStore::ForMailbox(std::size_t index) {
  using namespace settings;
  MailboxAccount& account = form_.choice_->Account(index);
  if (index != form_.choice_->Chosen()) AwaitKeyringPassword(account);
  const std::string section = MailboxSection(static_cast<int>(index));
  platform::ProfileFile file = SettingsFile();
  mailbox::MailboxSettings settings;
  settings.Server = account.Server;
  settings.UserID = account.UserID;
  settings.Password = account.Password;
  settings.Security = ChosenSecurity(section).security;
  settings.TlsRequired = file.ReadString(kTlsHosts, mailbox::SplitServerAddress(settings.Server).Host, "") == "Yes";
  settings.TlsFingerprint = file.ReadString(section, kTlsFingerprint, "");
  settings.TlsCAFile = file.ReadString(section, kTlsCAFile, "");
  settings.TokenCommand = file.ReadString(section, kTokenCommand, "");
  return settings;
}

void SettingsStore::RememberTls(const std::string& host) { WriteSetting(settings::kTlsHosts, host, "Yes"); }

// The box says why in words; the "Errors Encountered" box does not follow.
void TForm1::POP3SecurityFailure(const std::string& Text, const std::string& Host, bool TlsOffered) {
  ConnectPending = false;
  CheckBox2->SetChecked(false);
  if (TlsOffered) settings_->RememberTls(Host);
  if (!commands_->CloseRequested()) platform::ShowInformation(Text);
}

void TForm1::POP3PlaintextLogin(const std::string& Host, bool& Handled) { Handled = settings_->AllowPlaintextLogIn(Host); }

// Asked once per host; the answer is kept in the settings file.
bool SettingsStore::AllowPlaintextLogIn(const std::string& host) {
  bool Handled = false;
  if (IsLocalHost(host)) return true;
  const std::string kept = SettingsFile().ReadString(settings::kPlaintextHosts, host, "");
  if (kept == "Yes" || kept == "No") return kept == "Yes";
  Handled = platform::AskYesNo(platform::Substitute(
      platform::Tr("Security", "%1 does not offer TLS: your user name and password would cross the network in clear, "
                               "readable by anyone on the way.\n\nMost providers take POP3 only over TLS: then type "
                               "the server as %1:995 (or pop3s://%1).\n\nLog in without encryption anyway? (The "
                               "answer is remembered for this server.)"),
      {host}));
  WriteSetting(settings::kPlaintextHosts, host, Handled ? "Yes" : "No");
  return Handled;
}

// After each log-in: remember a host that speaks TLS, and tell in the
// server label's hint how the last session ran.
void TForm1::POP3LoggedIn(const std::string& Host, const std::string& Tls, bool TlsOffered) {
  if (TlsOffered) settings_->RememberTls(Host);
  const std::string session =
      Tls.empty() ? platform::Tr("Security", "Last session: not encrypted")
                  : platform::Substitute(platform::Tr("Security", "Last session: encrypted (%1)"), {Tls});
  IPlabel->SetHint(choice_->Count() > 1 ? choice_->ChosenAccount().ShownName() + "\n" + session : session);
}

void SettingsStore::AppendSecurityMenu() {
  for (const SecurityChoice& choice : kSecurityChoices)
    form_.Window->AppendSystemSubmenuItem(platform::Tr("Window", "Connection security"), choice.name, choice.command);
  ShowSecurityChoice();
}

void SettingsStore::ShowSecurityChoice() {
  const int chosen =
      ChosenSecurity(MailboxSection(static_cast<int>(form_.choice_->Chosen()))).command;
  for (const SecurityChoice& choice : kSecurityChoices)
    form_.Window->SetSystemMenuItemChecked(choice.command, choice.command == chosen);
}

// The chosen mailbox's section takes the choice.
bool SettingsStore::SecurityMenuCommand(int Command) {
  for (const SecurityChoice& choice : kSecurityChoices) {
    if (choice.command != Command) continue;
    WriteSetting(MailboxSection(static_cast<int>(form_.choice_->Chosen())), settings::kSecurity, choice.name);
    ShowSecurityChoice();
    return true;
  }
  return false;
}

}  // namespace app
