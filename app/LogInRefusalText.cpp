#include "app/LogInRefusalText.h"

#include "platform/core/Translate.h"

namespace app {

namespace {

using mailbox::LogInRefusalKind;
using platform::Tr;

std::string Meaning(LogInRefusalKind kind) {
  switch (kind) {
    case LogInRefusalKind::InUse:
      return Tr("LogIn", "The mailbox is in use by another session (another program or device is reading it). "
             "Your password was not refused. Try again shortly.");
    case LogInRefusalKind::LogInDelay:
      return Tr("LogIn", "The server allows a log-in only every so often, and the last one was too recent. "
             "Your password was not refused. Try again later.");
    case LogInRefusalKind::TemporaryProblem:
      return Tr("LogIn", "The server has a passing problem and could not log you in. Your password was not refused. "
             "Try again later.");
    case LogInRefusalKind::LastingProblem:
      return Tr("LogIn", "The server has a problem that will not pass by itself and could not log you in. "
             "Your password was not refused; your provider may have to mend it.");
    case LogInRefusalKind::Credentials:
      break;
  }
  return Tr("Check", "User Name / Password INVALID !");
}

std::string Words(LogInRefusalKind kind) {
  switch (kind) {
    case LogInRefusalKind::InUse:
      return Tr("LogIn", "mailbox in use");
    case LogInRefusalKind::LogInDelay:
      return Tr("LogIn", "log-in too soon after the last");
    case LogInRefusalKind::TemporaryProblem:
      return Tr("LogIn", "server problem");
    case LogInRefusalKind::LastingProblem:
      return Tr("LogIn", "lasting server problem");
    case LogInRefusalKind::Credentials:
      break;
  }
  return Tr("LogIn", "log-in refused");
}

std::string ServerSaid(const mailbox::LogInRefusal& refusal) {
  if (refusal.ServerText.empty()) return std::string();
  return "\n\n" + platform::Substitute(Tr("LogIn", "The server said: %1"), {refusal.ServerText});
}

}  // namespace

std::string RefusalBoxText(const mailbox::LogInRefusal& refusal) {
  return Meaning(refusal.Kind) + ServerSaid(refusal);
}

mailbox::FailureNote RefusalNote(const mailbox::LogInRefusal& refusal) {
  return {Words(refusal.Kind),
          Meaning(refusal.Kind) + ServerSaid(refusal) + "\n\n" +
              Tr("LogIn", "The automatic check goes on at its next time.")};
}

std::string ErrorsEncounteredText(const std::string& server) {
  return platform::Substitute(Tr("Check", "Errors Encountered With %1 - ABORTING !"), {server});
}

}  // namespace app
