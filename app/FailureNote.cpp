#include "app/FailureNote.h"

#include "net/LineSocket.h"
#include "pop3/AnswerReader.h"
#include "pop3/Pop3Client.h"
#include "pop3/Pop3Reply.h"

namespace app {

FailureNote NoteFor(const std::exception& failure, bool timedOut) {
  const std::string text = failure.what();
  if (dynamic_cast<const pop3::EOutOfStep*>(&failure))
    return {"server out of step", "The server sent answers that no command asked for. " + text + "."};
  if (dynamic_cast<const pop3::EAnswerTooLong*>(&failure) || dynamic_cast<const pop3::EHeaderTooLong*>(&failure))
    return {"message too large", text + "."};
  if (dynamic_cast<const net::ESockError*>(&failure)) {
    if (timedOut) return {"server stopped answering", "The server stopped answering (" + text + ")."};
    return {"connection lost", "The connection to the server was lost (" + text + ")."};
  }
  if (text.rfind("-ERR", 0) == 0) return {"refused by the server", "The server refused: " + pop3::WithoutLineEnd(text)};
  return {"failed", text};
}

}  // namespace app
