#include <exception>
#include <string>

#include "pop3/MessageExtraction.h"
#include "pop3/Pop3Client.h"
#include "pop3/Pop3Fetch.h"
#include "pop3/Pop3Reply.h"

namespace pop3 {

AnswerLimits MessageLimits(std::size_t maxBytes, std::size_t maxLines) {
  // A line may be as long as the whole message: only the message is capped.
  return {maxLines, maxBytes,
          "Message too large (more than " + std::to_string(maxBytes) + " bytes or " + std::to_string(maxLines) +
              " lines); connection closed",
          maxBytes};
}

namespace {

void ClearMessage(TPop3Client& client) {
  TMailMessage& message = client.MailMessage();
  message.Header.Clear();
  message.Body.Clear();
  message.Display = TDisplayPart{};
  message.Attachments.Clear();
  message.Subject.clear();
  message.From.clear();
  message.MessageId.clear();
  message.ContentType.clear();
  client.BytesRecvd = 0;
}

}  // namespace

// A failure of the extraction (a file that cannot be written) ends it, but
// the rest of the answer is still read and dropped, so that the session
// can go on; the failure is raised once the answer is over.
void ReadMessage(TPop3Client& client, AnswerReader& answer) {
  ClearMessage(client);
  MessageExtraction extraction(client);
  std::exception_ptr failure;
  answer.ReadRest([&](std::string& line) {
    if (failure) return;
    try {
      extraction.TakeLine(line);
    } catch (...) {
      failure = std::current_exception();
      extraction.Abandon();
    }
  });
  if (failure) std::rethrow_exception(failure);
  extraction.Finish();
}

void TPop3Client::FetchMessage(std::int32_t msg) {
  if (busy_) return;
  BusyScope busy(busy_);
  CheckConnection();
  if (OnRetrieveStart) OnRetrieveStart(this);
  try {
    mailMessage_.Boundary.clear();
    const std::string number = std::to_string(msg);
    CheckReply(Command("RETR " + number));

    AnswerReader answer(*this, MessageLimits(), DotStuffing::Remove);
    ReadMessage(*this, answer);

    if (DeleteOnRead) {
      const std::string reply = Command("DELE " + number);
      if (IsRefusal(reply)) throw ERefused(reply);
    }
    ReportStatus(net::kStatusReply, "Message Retrieved");
  } catch (...) {
    if (OnRetrieveEnd) OnRetrieveEnd(this);
    throw;
  }
  if (OnRetrieveEnd) OnRetrieveEnd(this);
}

}  // namespace pop3
