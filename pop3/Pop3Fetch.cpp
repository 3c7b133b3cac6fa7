#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/Exception.h"
#include "platform/core/Files.h"
#include "pop3/MimeExtractor.h"
#include "pop3/Pop3Fetch.h"
#include "pop3/Pop3Client.h"
#include "pop3/TextHelpers.h"

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
  LineCursor = 0;
  message.Header.Clear();
  message.Body.Clear();
  message.RawLines.Clear();
  message.Attachments.Clear();
  message.Subject.clear();
  message.From.clear();
  message.MessageId.clear();
  message.ContentType.clear();
  client.BytesRecvd = 0;
}

// The main header up to its empty line, then every line up to the
// terminating one into RawLines. A message that ends inside its header has
// no body.
void ReceiveMessage(TPop3Client& client, AnswerReader& answer, MimeExtractor& extractor) {
  TMailMessage& message = client.MailMessage();
  bool inHeader = true;
  answer.ReadRest([&](std::string& line) {
    if (!inHeader) {
      message.RawLines.Add(line);
    } else if (extractor.TakeHeaderLine(line)) {
      inHeader = false;
      extractor.EndHeader();
    }
  });
  if (inHeader) extractor.EndHeader();
}

void ExtractMessage(TPop3Client& client, MimeExtractor& extractor) {
  TMailMessage& message = client.MailMessage();
  const PartHeader header = extractor.MainHeader();
  message.Boundary = header.boundary.substr(0, kMaxHeaderValueLength);
  if (header.MainType() == "multipart") {
    extractor.SplitMultipart(header);
  } else if (extractor.ExtractSinglePartAttachment(header)) {
    // A file sent alone: saved like an attachment part, whatever Parse says.
  } else if (!client.Parse) {
    for (const std::string& line : message.RawLines) AddDisplayLine(message.Body, line);
  } else if (AsciiUpper(client.Encoding).find("BASE64") != std::string::npos) {
    client.PartState = 0;
    extractor.ExtractPart();
    // An empty body wrote no attachment: Get raises the list index error.
    const std::string decoded = client.AttachFilePath() + message.Attachments.Get(0);
    message.Body.Clear();
    for (const std::string& line : platform::ReadTextLines(decoded)) AddDisplayLine(message.Body, line);
  } else {
    extractor.ExtractPart();
  }
}

}  // namespace

void ReadMessage(TPop3Client& client, AnswerReader& answer) {
  ClearMessage(client);
  MimeExtractor extractor(client);
  ReceiveMessage(client, answer, extractor);
  ExtractMessage(client, extractor);
}

void TPop3Client::FetchMessage(std::int32_t msg) {
  if (busy_) return;
  BusyScope busy(busy_);
  CheckConnection();
  if (OnRetrieveStart) OnRetrieveStart(this);
  try {
    Encoding.clear();
    mailMessage_.Boundary.clear();
    AttachName.clear();
    PartState = 2;
    const std::string number = std::to_string(msg);
    CheckReply(Command("RETR " + number));

    AnswerReader answer(*this, MessageLimits(), DotStuffing::Remove);
    ReadMessage(*this, answer);

    if (DeleteOnRead) {
      const std::string reply = Command("DELE " + number);
      if (IsRefusal(reply)) throw platform::Exception(reply);
    }
    ReportStatus(net::kStatusReply, "Message Retrieved");
  } catch (...) {
    if (OnRetrieveEnd) OnRetrieveEnd(this);
    throw;
  }
  if (OnRetrieveEnd) OnRetrieveEnd(this);
}

}  // namespace pop3
