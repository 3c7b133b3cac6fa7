#include <algorithm>

#include "platform/core/ShellCommand.h"
#include "pop3/AnswerReader.h"
#include "pop3/Pop3Client.h"
#include "pop3/Sasl.h"

// The security steps of TPop3Client::Connect: TLS (implicit or by STLS), the
// guard against a log-in in clear, and the log-in with an access token.
namespace pop3 {

namespace {

// The port on which POP3 runs inside TLS only: nothing speaks plaintext POP3
// there, so Auto takes it as implicit TLS.
constexpr int kImplicitTlsPort = 995;

std::string UpperWord(const std::string& line) {
  std::string word = line.substr(0, line.find(' '));
  std::transform(word.begin(), word.end(), word.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c); });
  return word;
}

bool Lists(const std::vector<std::string>& capabilities, const std::string& name) {
  return std::any_of(capabilities.begin(), capabilities.end(),
                     [&](const std::string& line) { return UpperWord(line) == name; });
}

}  // namespace

void TPop3Client::RefuseSession(const std::string& text) {
  DropConnection();
  if (OnSecurityFailure) OnSecurityFailure(text);
  throw ESecurityError(text);
}

void TPop3Client::StartTlsSession() {
  try {
    StartTls();
  } catch (const net::ETlsCertificateError& error) {
    RefuseSession("The certificate of " + Host + " cannot be trusted: " + error.Problem() +
                  ".\nNothing was sent to the server.\n\nSHA-256 fingerprint of the certificate:\n" +
                  error.Fingerprint() +
                  "\n\nIf this is your own server and you know this certificate to be its own, put the "
                  "fingerprint into TLSFingerprint in the settings file, or its CA into TLSCAFile.");
  } catch (const net::ETlsHandshakeCut&) {
    throw;  // the connection's failure, not the server's TLS: no verdict
  } catch (const net::ESockError& error) {
    // Time-outs and cancels stay what they are; the rest is a failed
    // negotiation, told as such.
    if (TimedOut() || CancelRequested()) throw;
    RefuseSession(error.Message() + "\nNothing was sent to the server.");
  }
  sessionTls_ = TlsVersion();
  tlsOffered_ = true;
}

void TPop3Client::SecureBeforeGreeting() {
  const bool implicitTls =
      Security == SecurityMode::TLS || (Security == SecurityMode::Auto && (Port & 0xFFFF) == kImplicitTlsPort);
  if (implicitTls) StartTlsSession();
}

// CAPA's answer as lines; false when the server refused the command.
bool TPop3Client::RequestCapabilities() {
  capabilityLines_.clear();
  capaBeforeLogIn_ = CapaBeforeLogIn::Refused;
  if (!ReplyPasses(Command("CAPA"))) return false;
  std::vector<std::string> lines;
  AnswerReader answer(*this,
                       {static_cast<std::size_t>(kMaxCapabilityLines), kMaxCapabilityBytes,
                        "The server's CAPA answer is too long"},
                       DotStuffing::Remove);
  answer.ReadRest([&lines](std::string& line) { lines.push_back(std::move(line)); });
  capabilityLines_ = std::move(lines);
  capaBeforeLogIn_ = CapaBeforeLogIn::Answered;
  return true;
}

void TPop3Client::SecureAfterGreeting() {
  if (!sessionTls_.empty() || Security == SecurityMode::None || Security == SecurityMode::TLS) return;
  bool offered = Security == SecurityMode::STARTTLS;
  if (Security == SecurityMode::Auto) offered = RequestCapabilities() && Lists(capabilityLines_, "STLS");
  if (offered) {
    const std::string reply = Command("STLS");
    if (!ReplyPasses(reply)) {
      tlsOffered_ = Security == SecurityMode::Auto;  // listed, then refused
      RefuseSession(Host + " refused STLS: " + WithoutLineEnd(reply) +
                    "\nNothing more was sent. Choose another connection security, or port 995 for TLS.");
    }
    capabilityLines_.clear();  // what the server said before TLS counts no more
    capaBeforeLogIn_ = CapaBeforeLogIn::NotAsked;
    StartTlsSession();
    return;
  }
  if (TlsRequired) {
    RefuseSession(Host + " offered TLS before, but does not offer it now.\nSomeone on the network may be "
                  "removing it to read your password, so nothing was sent. If the server really dropped TLS, "
                  "choose the connection security None.");
  }
  if (Security == SecurityMode::Auto && TokenCommand.empty()) ConfirmPlaintextLogIn();
}

void TPop3Client::ConfirmPlaintextLogIn() {
  if (!OnPlaintextLogin) return;
  bool handled = false;
  OnPlaintextLogin(handled);
  if (!handled) {
    RefuseSession("The log-in to " + Host + " was not sent: it would have crossed the network in clear.\n"
                  "Most providers take POP3 only over TLS: type the server as " + Host +
                  ":995 (or pop3s://" + Host + ").");
  }
}

std::string TPop3Client::FetchAccessToken() {
  const platform::ShellCommandResult run =
      platform::RunShellCommand(TokenCommand, TimeOut(), [this] { return CancelRequested(); });
  const std::string errors = run.errors.empty() ? std::string() : "\n" + WithoutLineEnd(run.errors.substr(0, 2000));
  if (run.timedOut) RefuseSession("The token command did not finish in time." + errors);
  if (!run.started) RefuseSession("The token command could not be started.");
  if (run.exitStatus != 0) {
    RefuseSession("The token command failed (exit status " + std::to_string(run.exitStatus) + ")." + errors);
  }
  std::string token = run.output.substr(0, run.output.find('\n'));
  if (!token.empty() && token.back() == '\r') token.pop_back();
  if (token.empty()) RefuseSession("The token command printed no access token." + errors);
  if (token.find_first_of(std::string("\r\n\x01\0", 4)) != std::string::npos) {
    RefuseSession("The token command printed a token with control characters.");
  }
  return token;
}

// SASL XOAUTH2: the token goes on the continuation line; a refusal comes as
// a "+ " challenge carrying a Base64 JSON error, answered with an empty line
// and then -ERR.
void TPop3Client::LogInWithToken() {
  if (sessionTls_.empty() && !RemoteIsLoopback()) {
    RefuseSession("An access token is never sent to " + Host + " without TLS. Choose the connection security "
                  "TLS or STARTTLS, or port 995.");
  }
  const std::string token = FetchAccessToken();
  if (!IsConnected()) RaiseConnectionClosed();
  std::string reply = Command("AUTH XOAUTH2");
  if (reply.rfind("+", 0) != 0) {
    RefuseSession(Host + " does not take an access token (AUTH XOAUTH2): " + WithoutLineEnd(reply));
  }
  reply = Command(Base64Encode(XOAuth2Response(UserID, token)));
  if (ReplyPasses(reply)) return;
  std::string detail = WithoutLineEnd(reply);
  if (reply.rfind("+", 0) == 0) {
    detail = Base64Decode(WithoutLineEnd(reply).substr(1));
    reply = Command("");  // ends the exchange; the server answers -ERR
    if (!ReplyPasses(reply) && !WithoutLineEnd(reply).empty()) detail += "\n" + WithoutLineEnd(reply);
  }
  // A reason the server names (the mailbox in use, a problem of its own)
  // is no verdict on the token: it is told as the refusal of a log-in.
  const std::string code = ResponseCode(reply);
  if (!code.empty() && code != "AUTH") {
    logInRefusal_ = reply;
    if (OnAuthenticationFailed) {
      bool handled = false;
      OnAuthenticationFailed(handled);
    }
    throw platform::Exception(kAuthenticationFailed);
  }
  RefuseSession(Host + " refused the access token:\n" + detail);
}

}  // namespace pop3
