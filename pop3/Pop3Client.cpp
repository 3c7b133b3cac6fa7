#include "pop3/Pop3Client.h"

#include <exception>
#include <functional>
#include <vector>

#include "pop3/Pop3Parsing.h"

namespace pop3 {

using net::ESockError;
using platform::Exception;

namespace {

// A command argument holding a line break would let the value end the
// command early and smuggle another one onto the wire; NUL would cut it.
void RefuseLineBreaks(const char* field, const std::string& value) {
  if (value.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
    throw Exception(std::string("Invalid ") + field + ": it must not hold a line break (CR, LF) or a NUL character");
  }
}

}  // namespace

TPop3Client::TPop3Client(TComponent* owner) : TLineSocket(owner) {
  Port = 110;
}

TPop3Client::~TPop3Client() {
  // The transport's destructor can only reach its own Abort, so the session
  // is dropped here. Nobody is told: the owner is going away as well.
  OnDisconnect = nullptr;
  OnStatus = nullptr;
  OnConnectionFailed = nullptr;
  TLineSocket::OnConnect = nullptr;
  Abort();
}

void TPop3Client::StartCommandDeadline() {
  if (TimeOut() > 0 && CommandTimeOuts > 0) {
    SetCommandDeadline(static_cast<std::int64_t>(TimeOut()) * CommandTimeOuts);
  } else {
    ClearCommandDeadline();
  }
}

void TPop3Client::SetAttachFilePath(const std::string& value) {
  attachFilePath_ = value;
  if (!attachFilePath_.empty() && attachFilePath_.back() != '/') attachFilePath_ += '/';
}

std::string TPop3Client::Command(const std::string& command) {
  SettleAnswersDue();
  RefuseUnaskedData();
  StartCommandDeadline();
  std::string reply;
  Transaction(command, reply);
  if (reply.empty()) RaiseConnectionClosed();
  return reply;
}

std::string TPop3Client::ReadAnswerLine() {
  std::string line;
  ReadLn(line);
  if (line.empty()) RaiseConnectionClosed();
  return line;
}

// The read found the connection closed, but the transport counts it as
// open until the close notification has been handled, which may or may
// not have happened yet. Closing it here makes the outcome the same every
// time: the Disconnect that ends the session finds nothing to sign off,
// instead of sometimes sending QUIT into the dead connection.
void TPop3Client::RaiseConnectionClosed() {
  DropConnection();
  throw ESockError(kConnectionClosedText);
}

// A server that sends an answer nobody asked for shifts every later answer
// onto the wrong command: a summary would land on another row, a reply on
// another command. Once it shows, nothing it sends can be trusted to
// belong where it arrives.
void TPop3Client::RefuseUnaskedData() {
  if (answersDue_.empty() && IsConnected() && DataAvailable())
    RaiseOutOfStep("The server sent data that no command asked for");
}

void TPop3Client::RaiseOutOfStep(const std::string& what) {
  DropConnection();
  throw EOutOfStep(what + ": its answers are out of step, so the connection was closed");
}

void TPop3Client::DropConnection() {
  ForgetSession();
  if (IsConnected()) TLineSocket::Disconnect();
}

void TPop3Client::AskForCredentials() {
  bool asked = false;
  while (UserID.empty() || (Password.empty() && TokenCommand.empty())) {
    if (!OnAuthenticationNeeded) throw Exception(kAuthenticationFailed);
    if (asked) break;
    asked = true;
    bool handled = false;
    OnAuthenticationNeeded(handled);
    if (!handled) throw Exception(kAuthenticationFailed);
  }
}

bool TPop3Client::CheckAuthReply(const std::string& reply, int& attempts) {
  if (ReplyPasses(reply)) return true;
  logInRefusal_ = reply;
  if (attempts > 0 || !OnAuthenticationFailed) throw Exception(kAuthenticationFailed);
  bool handled = false;
  OnAuthenticationFailed(handled);
  if (!handled) throw Exception(kAuthenticationFailed);
  ++attempts;
  return false;
}

void TPop3Client::LogIn() {
  int attempts = 0;
  for (;;) {
    // A failed-authentication handler may have changed the credentials.
    RefuseLineBreaks("UserID", UserID);
    RefuseLineBreaks("Password", Password);
    if (capabilities_.Pipelining()) {
      if (LogInPipelined(attempts)) return;
    } else if (CheckAuthReply(Command("USER " + UserID), attempts) &&
               CheckAuthReply(Command("PASS " + Password), attempts)) {
      return;
    }
    ++attempts;
  }
}

// Both replies are read before either is judged, so that a refused USER
// leaves no answer behind.
bool TPop3Client::LogInPipelined(int& attempts) {
  SettleAnswersDue();
  SendAhead({{AnswerDue::Line, 1, 0, "USER " + UserID}, {AnswerDue::Line, 2, 0, "PASS " + Password}});
  const std::string userReply = TakeDueReply(AnswerDue::Line, 1);
  const std::string passReply = TakeDueReply(AnswerDue::Line, 2);
  return CheckAuthReply(userReply, attempts) && CheckAuthReply(passReply, attempts);
}

std::string TPop3Client::AskStatus() {
  if (!ListOnLogIn || !capabilities_.Pipelining()) return Command("STAT");
  SettleAnswersDue();
  SendAhead({{AnswerDue::Line, 1, 0, "STAT"}, {AnswerDue::ListAll, 0, 0, {}}, {AnswerDue::UidlAll, 0, 0, {}}});
  return TakeDueReply(AnswerDue::Line, 1);
}

void TPop3Client::Connect() {
  AskForCredentials();
  RefuseLineBreaks("UserID", UserID);
  RefuseLineBreaks("Password", Password);
  RefuseLineBreaks("Host", Host);

  ForgetSession();
  const bool wasBusy = busy_;
  busy_ = true;
  bool loggedIn = false;
  auto finish = [&] {
    if (!wasBusy) busy_ = false;
    if (loggedIn && OnConnect) OnConnect(this);
  };
  try {
    sessionTls_.clear();
    tlsOffered_ = false;
    capabilityLines_.clear();
    capaBeforeLogIn_ = CapaBeforeLogIn::NotAsked;
    logInRefusal_.clear();
    TLineSocket::Connect();
    try {
      SecureBeforeGreeting();
      StartCommandDeadline();
      CheckReply(ReadAnswerLine());
      SecureAfterGreeting();
      if (Security != SecurityMode::None && capaBeforeLogIn_ == CapaBeforeLogIn::NotAsked) RequestCapabilities();
      if (capaBeforeLogIn_ == CapaBeforeLogIn::Answered) capabilities_ = ServerCapabilities(capabilityLines_);
      if (TokenCommand.empty()) {
        LogIn();
      } else {
        LogInWithToken();
      }
      loggedIn = true;
      std::string reply = AskStatus();
      CheckReply(reply);
      mailCount_ = ParseStatCount(reply);
    } catch (...) {
      // Sign off before the failure goes on. When QUIT fails as well (the
      // server may be gone), the first failure is the one worth reporting.
      try {
        Disconnect();
      } catch (const std::exception&) {
      }
      throw;
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

// Answers still due are read before QUIT, so that QUIT's reply is not taken
// from one of them; when they cannot be read the connection is dropped
// without QUIT, as for any answer broken off.
void TPop3Client::Disconnect() {
  if (!IsConnected()) return;
  try {
    SettleAnswersDue();
  } catch (const std::exception&) {
    return;
  }
  std::exception_ptr failure;
  try {
    CheckReply(Command("QUIT"));
  } catch (const std::exception&) {
    failure = std::current_exception();
  }
  ForgetSession();
  TLineSocket::Disconnect();
  if (failure) std::rethrow_exception(failure);
}

void TPop3Client::Abort() {
  Cancel();
  ForgetSession();
  if (IsConnected()) {
    TLineSocket::Disconnect();
    ClearInput();
  }
}

}  // namespace pop3
