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

TAnswerLines::TAnswerLines(std::function<std::string()> readLine, std::function<void()> dropConnection,
                           std::size_t maxBytes, std::size_t maxLines)
    : readLine_(std::move(readLine)),
      dropConnection_(std::move(dropConnection)),
      maxBytes_(maxBytes),
      maxLines_(maxLines) {}

bool TAnswerLines::Next(std::string& line) {
  line = readLine_();
  bytes_ += line.size();
  if (++lines_ > maxLines_ || bytes_ > maxBytes_) {
    dropConnection_();
    throw platform::Exception("Message too large (more than " + std::to_string(maxBytes_) + " bytes or " +
                              std::to_string(maxLines_) + " lines); connection closed");
  }
  // A line cut short by a closing peer has no line end; the next read
  // reports the closed connection.
  const bool complete = !line.empty() && line.back() == '\n';
  if (complete) {
    line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == ".") return false;
  }
  if (line.size() >= 2 && line[0] == '.' && line[1] == '.') line.erase(0, 1);
  return true;
}

namespace {

// Lines one bulk read hands out at most: 64 KiB of 78-byte lines are about
// 840, and short lines should not make one batch much larger.
constexpr std::size_t kBatchLines = 4096;

// The lines of one multi-line answer, one at a time, read from the
// connection in batches. The batches end at the terminating line, so no
// byte after the answer is ever taken, and what a batch holds belongs to
// the answer being read.
class TAnswerBatches {
 public:
  explicit TAnswerBatches(TPop3Client& client) : client_(client) {}

  // The next line with its line end; raises ESockError
  // kConnectionClosedText when the connection is closed.
  std::string Next() {
    if (next_ == lines_.size()) {
      next_ = 0;
      if (!client_.ReadLines(lines_, kBatchLines, true)) throw net::ESockError(kConnectionClosedText);
    }
    return std::move(lines_[next_++]);
  }

 private:
  TPop3Client& client_;
  std::vector<std::string> lines_;
  std::size_t next_ = 0;
};

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
void ReceiveMessage(TPop3Client& client, TAnswerLines& answer, TMimeExtractor& extractor) {
  TMailMessage& message = client.MailMessage();
  std::string line;
  bool bodyFollows = true;
  for (;;) {
    if (!answer.Next(line)) {
      bodyFollows = false;
      break;
    }
    if (extractor.TakeHeaderLine(line, message)) break;
  }
  extractor.EndHeader();
  if (!bodyFollows) return;
  while (answer.Next(line)) message.RawLines.Add(line);
}

void ExtractMessage(TPop3Client& client, TMimeExtractor& extractor) {
  TMailMessage& message = client.MailMessage();
  if (AsciiLower(message.ContentType).find("multipart") != std::string::npos) {
    extractor.SplitMultipart();
  } else if (!client.Parse) {
    message.Body = message.RawLines;
  } else if (AsciiUpper(client.Encoding).find("BASE64") != std::string::npos) {
    client.PartState = 0;
    extractor.ExtractPart();
    // An empty body wrote no attachment: Get raises the list index error.
    const std::string decoded = client.AttachFilePath() + message.Attachments.Get(0);
    message.Body.Clear();
    for (const std::string& line : platform::ReadTextLines(decoded)) message.Body.Add(line);
  } else {
    extractor.ExtractPart();
  }
}

}  // namespace

void ReadMessage(TPop3Client& client, TAnswerLines& answer) {
  ClearMessage(client);
  TMimeExtractor extractor(client);
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

    TAnswerBatches batches(*this);
    TAnswerLines answer([&batches] { return batches.Next(); }, [this] { DropConnection(); });
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
