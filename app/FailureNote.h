#pragma once

#include <exception>
#include <string>

namespace app {

// What the window says, without a box, when a command could show only part
// of what it went for: a short text for the status line over the list and
// a sentence for its hint.
struct FailureNote {
  std::string Short;  // "connection lost", "server out of step", ...
  std::string Long;   // what happened, in words, the failure's own text included
};

// The note for a failure that cut a session short. timedOut: the client's
// wait ran out (the server stopped answering).
FailureNote NoteFor(const std::exception& failure, bool timedOut);

}  // namespace app
