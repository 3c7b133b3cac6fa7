#pragma once

#include <optional>
#include <string>

#include "pop3/Capabilities.h"

namespace mailbox {

// Why the server refused a log-in, as its reply's response code says
// (RFC 2449, RFC 3206). Without a code, or with [AUTH], the user name or
// the password (or the token) was wrong.
enum class LogInRefusalKind {
  Credentials,       // [AUTH], or no code
  InUse,             // [IN-USE]: another session holds the mailbox
  LogInDelay,        // [LOGIN-DELAY]: too soon after the last log-in
  TemporaryProblem,  // [SYS/TEMP]: the server has a passing problem
  LastingProblem,    // [SYS/PERM]: the server has a problem that will not pass by itself
};

struct LogInRefusal {
  LogInRefusalKind Kind = LogInRefusalKind::Credentials;
  // The server's own words, without status word, code and line end, and
  // without the characters that turn the direction of text.
  std::string ServerText;

  // The refusal passes by itself: trying again later may succeed with the
  // same credentials.
  bool Passes() const {
    return Kind == LogInRefusalKind::InUse || Kind == LogInRefusalKind::LogInDelay ||
           Kind == LogInRefusalKind::TemporaryProblem;
  }
};

// The refusal a reply to USER, PASS or the access token stands for.
LogInRefusal ClassifyLogInRefusal(const std::string& reply);

// The least number of seconds the server wants between two log-ins
// ("LOGIN-DELAY n" in its CAPA answer); nothing when it names none.
std::optional<int> LogInDelaySeconds(const pop3::ServerCapabilities& capabilities);

}  // namespace mailbox
