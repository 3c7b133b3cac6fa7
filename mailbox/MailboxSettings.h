#pragma once

#include <string>

#include "pop3/Pop3Client.h"

namespace mailbox {

inline constexpr int kDefaultPop3Port = 110;
inline constexpr int kImplicitTlsPort = 995;

// The server as the user types it: a host name, a dotted address or an
// IPv6 literal (in brackets when a port follows: "[2001:db8::1]:995"),
// optionally followed by ":" and a decimal port 1..65535; without a valid
// port the port is 110 and the whole text is the host. "pop3s://" before
// it asks for implicit TLS, on port 995 unless a port is given; so does
// port 995.
struct ServerAddress {
  std::string Host;
  int Port = kDefaultPop3Port;
  bool ImplicitTls = false;
};
ServerAddress SplitServerAddress(const std::string& text);

// Everything a mailbox needs to open a session: the account and how the
// session is protected. A value the mailbox is given before each command.
struct MailboxSettings {
  std::string Server;  // as typed (see SplitServerAddress)
  std::string UserID;
  std::string Password;
  // Auto, TLS, STARTTLS or None; pop3s:// and port 995 mean TLS whatever
  // it says.
  pop3::SecurityMode Security = pop3::SecurityMode::Auto;
  // The host was seen offering TLS before: a session without it is refused.
  bool TlsRequired = false;
  std::string TlsFingerprint;  // accept exactly this certificate (SHA-256, hex with colons)
  std::string TlsCAFile;       // a CA to trust besides the system's
  std::string TokenCommand;    // prints an access token: log in with XOAUTH2
};

// Sets the client's host, port, security, credentials and token command
// from settings.
void ApplySettings(const MailboxSettings& settings, pop3::TPop3Client& client);

}  // namespace mailbox
