#include "mailbox/MailboxSettings.h"

#include <algorithm>

#include "platform/core/Socket.h"
#include "pop3/TextHelpers.h"

namespace mailbox {

namespace {

constexpr int kMaxPort = 65535;

// A decimal port 1..65535: digits only, no sign, no blanks.
bool ParsePort(const std::string& text, int& port) {
  if (text.empty() || text.size() > 5) return false;
  if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
  int value = std::stoi(text);
  if (value < 1 || value > kMaxPort) return false;
  port = value;
  return true;
}

}  // namespace

ServerAddress SplitServerAddress(const std::string& text) {
  constexpr const char* kTlsScheme = "pop3s://";
  ServerAddress address;
  std::string rest = text;
  if (rest.size() > 8 && pop3::AsciiUpper(rest.substr(0, 8)) == "POP3S://") {
    rest = rest.substr(std::string(kTlsScheme).size());
    if (!rest.empty() && rest.back() == '/') rest.pop_back();
    address.ImplicitTls = true;
    address.Port = kImplicitTlsPort;
  }
  address.Host = rest;
  // "[v6]" or "[v6]:port"; a bare IPv6 literal has no port.
  if (!rest.empty() && rest.front() == '[') {
    const std::string::size_type close = rest.find(']');
    int port = 0;
    if (close != std::string::npos && platform::IsIPv6Literal(rest.substr(1, close - 1)) &&
        (close + 1 == rest.size() || (rest[close + 1] == ':' && ParsePort(rest.substr(close + 2), port)))) {
      address.Host = rest.substr(1, close - 1);
      if (port != 0) address.Port = port;
    }
  } else if (!platform::IsIPv6Literal(rest)) {
    std::string::size_type colon = rest.rfind(':');
    int port = 0;
    if (colon != std::string::npos && ParsePort(rest.substr(colon + 1), port)) {
      address.Host = rest.substr(0, colon);
      address.Port = port;
    }
  }
  if (address.Port == kImplicitTlsPort) address.ImplicitTls = true;
  return address;
}

// pop3s:// and port 995 mean implicit TLS whatever the choice: nothing
// speaks plaintext POP3 there.
void ApplySettings(const MailboxSettings& settings, pop3::TPop3Client& client) {
  const ServerAddress address = SplitServerAddress(settings.Server);
  client.Host = address.Host;
  client.Port = address.Port;
  client.Security = address.ImplicitTls ? pop3::SecurityMode::TLS : settings.Security;
  client.TlsRequired = settings.TlsRequired;
  client.TlsFingerprint = settings.TlsFingerprint;
  client.TlsCAFile = settings.TlsCAFile;
  client.TokenCommand = settings.TokenCommand;
  client.UserID = settings.UserID;
  client.Password = settings.Password;
}

}  // namespace mailbox
