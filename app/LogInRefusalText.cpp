#include "app/LogInRefusalText.h"

namespace app {

namespace {

using mailbox::LogInRefusalKind;

std::string Meaning(LogInRefusalKind kind) {
  switch (kind) {
    case LogInRefusalKind::InUse:
      return "The mailbox is in use by another session (another program or device is reading it). "
             "Your password was not refused. Try again shortly.";
    case LogInRefusalKind::LogInDelay:
      return "The server allows a log-in only every so often, and the last one was too recent. "
             "Your password was not refused. Try again later.";
    case LogInRefusalKind::TemporaryProblem:
      return "The server has a passing problem and could not log you in. Your password was not refused. "
             "Try again later.";
    case LogInRefusalKind::LastingProblem:
      return "The server has a problem that will not pass by itself and could not log you in. "
             "Your password was not refused; your provider may have to mend it.";
    case LogInRefusalKind::Credentials:
      break;
  }
  return "User Name / Password INVALID !";
}

std::string Words(LogInRefusalKind kind) {
  switch (kind) {
    case LogInRefusalKind::InUse:
      return "mailbox in use";
    case LogInRefusalKind::LogInDelay:
      return "log-in too soon after the last";
    case LogInRefusalKind::TemporaryProblem:
      return "server problem";
    case LogInRefusalKind::LastingProblem:
      return "lasting server problem";
    case LogInRefusalKind::Credentials:
      break;
  }
  return "log-in refused";
}

std::string ServerSaid(const mailbox::LogInRefusal& refusal) {
  return refusal.ServerText.empty() ? std::string() : "\n\nThe server said: " + refusal.ServerText;
}

}  // namespace

std::string RefusalBoxText(const mailbox::LogInRefusal& refusal) {
  return Meaning(refusal.Kind) + ServerSaid(refusal);
}

mailbox::FailureNote RefusalNote(const mailbox::LogInRefusal& refusal) {
  return {Words(refusal.Kind),
          Meaning(refusal.Kind) + ServerSaid(refusal) + "\n\nThe automatic check goes on at its next time."};
}

}  // namespace app
