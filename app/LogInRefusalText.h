#pragma once

#include <string>

#include "mailbox/FailureNote.h"
#include "mailbox/LogInRefusal.h"

namespace app {

// The box for a log-in the server refused for a reason of its own (not the
// credentials): what it means, then the server's own words.
std::string RefusalBoxText(const mailbox::LogInRefusal& refusal);

// The status line's note for such a refusal during an automatic check,
// which goes on and raises no box.
mailbox::FailureNote RefusalNote(const mailbox::LogInRefusal& refusal);

// The box for a session that failed before it got anywhere, naming the
// server as typed.
std::string ErrorsEncounteredText(const std::string& server);

}  // namespace app
