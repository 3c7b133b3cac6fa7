#include <array>
#include <cstdint>
#include <string>

#include "app/MatchRules.h"
#include "app/POP3Unit1.h"
#include "app/Settings.h"
#include "platform/gui/Dialogs.h"
#include "platform/core/Socket.h"

namespace app {

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

// The settings' choice; an unknown word counts as Auto.
const SecurityChoice& ChosenSecurity() {
  const std::string word =
      AsciiUpper(SettingsFile().ReadString(settings::kEmail, settings::kSecurity, settings::kDefaultSecurity));
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

void TForm1::ApplyConnectionSecurity(const ServerAddress& address) {
  using namespace settings;
  platform::ProfileFile file = SettingsFile();
  // pop3s:// and port 995 mean implicit TLS whatever the choice: nothing
  // speaks plaintext POP3 there.
  POP3->Security = address.ImplicitTls ? pop3::SecurityMode::TLS : ChosenSecurity().security;
  POP3->TlsRequired = file.ReadString(kTlsHosts, address.Host, "") == "Yes";
  POP3->TlsFingerprint = file.ReadString(kEmail, kTlsFingerprint, "");
  POP3->TlsCAFile = file.ReadString(kEmail, kTlsCAFile, "");
  POP3->TokenCommand = file.ReadString(kEmail, kTokenCommand, "");
}

// The box says why in words; the "Errors Encountered" box does not follow.
void TForm1::POP3SecurityFailure(const std::string& Text) {
  ConnectPending = false;
  CheckBox2->SetChecked(false);
  if (POP3->TlsOffered()) WriteSetting(settings::kTlsHosts, POP3->Host, "Yes");
  if (!CloseRequested) platform::ShowInformation(Text);
}

// Asked once per host; the answer is kept in the settings file.
void TForm1::POP3PlaintextLogin(bool& Handled) {
  const std::string host = POP3->Host;
  if (IsLocalHost(host)) {
    Handled = true;
    return;
  }
  const std::string kept = SettingsFile().ReadString(settings::kPlaintextHosts, host, "");
  if (kept == "Yes" || kept == "No") {
    Handled = kept == "Yes";
    return;
  }
  Handled = platform::AskYesNo(host + " does not offer TLS: your user name and password would cross the network "
                               "in clear, readable by anyone on the way.\n\nMost providers take POP3 only over "
                               "TLS: then type the server as " + host + ":995 (or pop3s://" + host +
                               ").\n\nLog in without encryption anyway? (The answer is remembered for this server.)");
  WriteSetting(settings::kPlaintextHosts, host, Handled ? "Yes" : "No");
}

// After each log-in: remember a host that speaks TLS, and tell in the
// server label's hint how the last session ran.
void TForm1::POP3LoggedIn(platform::TComponent*) {
  const std::string tls = POP3->SessionTls();
  if (POP3->TlsOffered()) WriteSetting(settings::kTlsHosts, POP3->Host, "Yes");
  IPlabel->SetHint(tls.empty() ? "Last session: not encrypted" : "Last session: encrypted (" + tls + ")");
}

void TForm1::AppendSecurityMenu() {
  const SecurityChoice& chosen = ChosenSecurity();
  for (const SecurityChoice& choice : kSecurityChoices) {
    Window->AppendSystemSubmenuItem("Connection security", choice.name, choice.command);
    Window->SetSystemMenuItemChecked(choice.command, choice.command == chosen.command);
  }
}

bool TForm1::SecurityMenuCommand(int Command) {
  for (const SecurityChoice& choice : kSecurityChoices) {
    if (choice.command != Command) continue;
    WriteSetting(settings::kEmail, settings::kSecurity, choice.name);
    for (const SecurityChoice& other : kSecurityChoices) {
      Window->SetSystemMenuItemChecked(other.command, other.command == Command);
    }
    return true;
  }
  return false;
}

}  // namespace app
