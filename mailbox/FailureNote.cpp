#include "mailbox/FailureNote.h"

#include "net/LineSocket.h"
#include "pop3/AnswerReader.h"
#include "pop3/Pop3Client.h"
#include "pop3/Pop3Reply.h"
#include "platform/core/Translate.h"

namespace mailbox {

using platform::Substitute;
using platform::Tr;

FailureNote NoteFor(const std::exception& failure, bool timedOut) {
  const std::string text = failure.what();
  if (dynamic_cast<const pop3::EOutOfStep*>(&failure))
    return {Tr("Failure", "server out of step"),
            Substitute(Tr("Failure", "The server sent answers that no command asked for. %1."), {text})};
  if (dynamic_cast<const pop3::EAnswerTooLong*>(&failure) || dynamic_cast<const pop3::EHeaderTooLong*>(&failure))
    return {Tr("Failure", "message too large"), text + "."};
  if (dynamic_cast<const net::ESockError*>(&failure)) {
    if (timedOut)
      return {Tr("Failure", "server stopped answering"),
              Substitute(Tr("Failure", "The server stopped answering (%1)."), {text})};
    return {Tr("Failure", "connection lost"),
            Substitute(Tr("Failure", "The connection to the server was lost (%1)."), {text})};
  }
  if (text.rfind("-ERR", 0) == 0)
    return {Tr("Failure", "refused by the server"),
            Substitute(Tr("Failure", "The server refused: %1"), {pop3::WithoutLineEnd(text)})};
  return {Tr("Failure", "failed"), text};
}

}  // namespace mailbox
