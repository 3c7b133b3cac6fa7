#include "mailbox/LogInRefusal.h"

#include <charconv>

#include "codec/CharacterClasses.h"
#include "pop3/Pop3Reply.h"

namespace mailbox {

namespace {

// A code names its class and, after "/", finer ones: "SYS/TEMP/DISK" is
// still "SYS/TEMP".
bool CodeIs(const std::string& code, const std::string& name) {
  return code.rfind(name, 0) == 0 && (code.size() == name.size() || code[name.size()] == '/');
}

LogInRefusalKind KindOf(const std::string& code) {
  if (CodeIs(code, "IN-USE")) return LogInRefusalKind::InUse;
  if (CodeIs(code, "LOGIN-DELAY")) return LogInRefusalKind::LogInDelay;
  if (CodeIs(code, "SYS/TEMP")) return LogInRefusalKind::TemporaryProblem;
  if (CodeIs(code, "SYS/PERM")) return LogInRefusalKind::LastingProblem;
  return LogInRefusalKind::Credentials;
}

}  // namespace

LogInRefusal ClassifyLogInRefusal(const std::string& reply) {
  return {KindOf(pop3::ResponseCode(reply)), codec::WithoutDirectionOverrides(pop3::ReplyText(reply))};
}

std::optional<int> LogInDelaySeconds(const pop3::ServerCapabilities& capabilities) {
  if (!capabilities.Has("LOGIN-DELAY")) return std::nullopt;
  const std::string arguments = capabilities.Arguments("LOGIN-DELAY");
  int seconds = 0;
  const char* end = arguments.data() + arguments.size();
  auto [stop, error] = std::from_chars(arguments.data(), end, seconds);
  if (error != std::errc() || stop == arguments.data() || seconds <= 0) return std::nullopt;
  if (stop != end && *stop != ' ' && *stop != '\t') return std::nullopt;
  return seconds;
}

}  // namespace mailbox
