#include "pop3/MimeExtractor.h"

#include <algorithm>
#include <memory>

#include "codec/UUCoder.h"
#include "net/LineSocket.h"
#include "platform/core/FileStream.h"
#include "platform/core/Files.h"
#include "platform/core/EventLoop.h"
#include "pop3/AttachmentName.h"
#include "pop3/Pop3Client.h"
#include "pop3/TextHelpers.h"

namespace pop3 {

std::int32_t LineCursor = 0;
std::int32_t TempCounter = 0;

namespace {

// The line from its 1-based character `from` on, at most
// kMaxHeaderValueLength characters; empty when the line is shorter.
std::string ValueFrom(const std::string& line, std::size_t from) {
  if (line.size() < from) return std::string();
  return line.substr(from - 1, kMaxHeaderValueLength);
}

bool HoldsBoundary(const std::string& line, const std::string& boundary) {
  return !boundary.empty() && line.find(boundary) != std::string::npos;
}

// A delimiter line is the closing one when "--" sits in its last four
// characters ("--boundary--", also with a blank or two after it).
bool IsClosingDelimiter(const std::string& line) {
  const std::size_t tail = line.size() < 4 ? line.size() : 4;
  return line.find("--", line.size() - tail) != std::string::npos;
}

// Leaves the decoder without streams however decoding ends, so that it
// never points at a closed file.
class DecoderStreams {
 public:
  DecoderStreams(codec::TUUProcessor& decoder, codec::TStream& input, codec::TStream& output)
      : decoder_(decoder) {
    decoder_.SetInputStream(&input);
    decoder_.SetOutputStream(&output);
  }
  ~DecoderStreams() {
    decoder_.SetInputStream(nullptr);
    decoder_.SetOutputStream(nullptr);
  }
  DecoderStreams(const DecoderStreams&) = delete;
  DecoderStreams& operator=(const DecoderStreams&) = delete;

 private:
  codec::TUUProcessor& decoder_;
};

}  // namespace

std::string TrimmedBoundary(const std::string& value) {
  if (!value.empty() && value.front() == '\x16') {
    return value.size() > 2 ? value.substr(0, value.size() - 2) : std::string();
  }
  if (value.size() <= 3) return std::string();
  return value.substr(1, value.size() - 4);
}

TMimeExtractor::TMimeExtractor(TPop3Client& client)
    : client_(client), message_(client.MailMessage()), files_(client.AttachFilePath()) {}

bool TMimeExtractor::TakeHeaderLine(const std::string& line, TMailMessage& boundaryTarget) {
  if (client_.PartState == 2) message_.Header.Add(line);
  if (line.empty()) return true;

  const std::string word = AsciiUpper(net::NthWord(line, ' ', 1));
  if (word == "SUBJECT:") {
    message_.Subject = ValueFrom(line, 9);
  } else if (word == "FROM:") {
    message_.From = ValueFrom(line, 7);
  } else if (word == "CONTENT-TYPE:") {
    message_.ContentType = ValueFrom(line, 15);
  } else if (word == "MESSAGE-ID:") {
    message_.MessageId = ValueFrom(line, 13);
  }

  const std::string upper = AsciiUpper(line);
  const std::size_t boundary = upper.find("BOUNDARY=");
  if (boundary != std::string::npos) {
    boundaryTarget.Boundary = TrimmedBoundary(line.substr(boundary + 9, kMaxHeaderValueLength));
  }
  if (upper.find("CONTENT-TRANSFER-ENCODING") != std::string::npos) client_.Encoding = ValueFrom(line, 28);
  if (upper.find("NAME") != std::string::npos) client_.AttachName = net::NthWord(line, '"', 2);
  return false;
}

void TMimeExtractor::EndHeader() {
  if (client_.PartState == 2) client_.PartState = 1;
}

void TMimeExtractor::ParseHeaderFromRawLines(TMailMessage& boundaryTarget) {
  const std::vector<std::string>& lines = message_.RawLines.Items();
  for (;;) {
    if (LineCursor >= static_cast<std::int32_t>(lines.size())) return;
    if (TakeHeaderLine(lines[static_cast<std::size_t>(LineCursor++)], boundaryTarget)) break;
  }
  EndHeader();
}

void TMimeExtractor::SplitMultipart() {
  // Part headers may carry boundaries of nested multiparts; they go to this
  // scratch message so that the message's own boundary stays in force.
  TMailMessage scratch;
  const std::vector<std::string>& lines = message_.RawLines.Items();
  const auto count = static_cast<std::int32_t>(lines.size());
  for (;;) {
    if (message_.Boundary.empty() || LineCursor >= count) {
      throw EListError("List index out of bounds (" + std::to_string(count) + ")");
    }
    if (HoldsBoundary(lines[static_cast<std::size_t>(LineCursor++)], message_.Boundary)) break;
  }
  bool closed = false;
  int parts = 0;
  do {
    if (parts++ == kMaxPartsPerMessage) {
      message_.Body.Add(kPartsCappedNote);
      return;
    }
    ParseHeaderFromRawLines(scratch);
    closed = ExtractPart();
  } while (LineCursor < count && !closed);
}

bool TMimeExtractor::ExtractPart() {
  std::unique_ptr<platform::TFileStream> temp;
  std::string tempName;
  if (client_.PartState == 0) temp = files_.CreatePartFile(tempName);
  client_.ReportStatus(net::kStatusReply, "Extracting file");
  KeepEventsFlowing();

  const std::vector<std::string>& lines = message_.RawLines.Items();
  const auto count = static_cast<std::int32_t>(lines.size());
  if (LineCursor >= count) {
    // Nothing left: no attachment, and PartState stays as it is.
    if (temp) temp->Close();
    return false;
  }
  bool closing = false;
  while (LineCursor < count) {
    const std::string& line = lines[static_cast<std::size_t>(LineCursor++)];
    if (HoldsBoundary(line, message_.Boundary)) {
      closing = IsClosingDelimiter(line);
      break;
    }
    if (temp) {
      temp->WriteBuffer(line.data(), line.size());
      temp->WriteBuffer("\r\n", 2);
    } else {
      AddDisplayLine(message_.Body, line);
    }
    ++client_.BytesRecvd;
    if (client_.OnPacketRecvd) client_.OnPacketRecvd(&client_);
    KeepEventsFlowing();
  }

  if (temp) {
    const bool empty = temp->Size() == 0;
    temp->Close();
    // An empty part leaves its empty temporary file and nothing else.
    if (!empty) FinishAttachment(tempName);
  }
  client_.PartState = 0;
  return closing;
}

std::string TMimeExtractor::ChooseAttachmentName() {
  std::string& name = client_.AttachName;
  name = files_.FreeName(files_.PreparedName(name));
  if (client_.OnDecodeStart) {
    // The handler's choice too stays a plain name that fits the folder;
    // should it be taken, the file gets its next free alternative.
    client_.OnDecodeStart(name);
    name = files_.PreparedName(name);
  }
  return name;
}

// The note and the list entry follow the file: an attachment is reported
// only once it is in place under the name reported.
void TMimeExtractor::FinishAttachment(const std::string& tempName) {
  std::string name = ChooseAttachmentName();
  const std::string& encoding = client_.Encoding;
  if (AsciiLower(encoding).find("base64") != std::string::npos ||
      encoding.find("X-UUENCODE") != std::string::npos) {
    DecodeAttachment(tempName, name);
  } else {
    try {
      files_.MoveIntoPlace(tempName, name);
    } catch (const platform::EFileError& error) {
      // The part stays readable in its temporary file.
      message_.Body.Add("\r\nFile \"" + name + "\" not saved: " + error.Message());
      return;
    }
  }
  client_.AttachName = name;
  message_.Body.Add("\r\nFile \"" + name + "\" extracted");
  message_.Attachments.Add(name);
  if (client_.OnDecodeEnd) client_.OnDecodeEnd(&client_);
}

void TMimeExtractor::DecodeAttachment(const std::string& tempName, std::string& targetName) {
  platform::TFileStream input(tempName, platform::FileOpenMode::OpenRead);
  const std::unique_ptr<platform::TFileStream> output = files_.CreateAttachment(targetName);
  codec::TUUProcessor& decoder = client_.Decoder();
  {
    DecoderStreams streams(decoder, input, *output);
    decoder.SetMethod(client_.Encoding.find("X-UUENCODE") != std::string::npos ? codec::uuCode : codec::uuMime);
    client_.ReportStatus(net::kStatusReply, "Decoding file");
    decoder.Decode();
  }
  // Closing explicitly lets a failed final write reach the caller; on the
  // error path the destructors close both files.
  output->Close();
  input.Close();
}

// Extraction runs between the reads, outside the transport's waits, which
// are what otherwise keeps the window served.
void TMimeExtractor::KeepEventsFlowing() {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastEvents_ < std::chrono::milliseconds(kMaxMillisecondsWithoutEvents)) return;
  platform::PumpEvents();
  lastEvents_ = std::chrono::steady_clock::now();
}

void AddDisplayLine(TStringList& lines, const std::string& line) {
  if (line.size() <= kMaxDisplayLineBytes) {
    lines.Add(line);
    return;
  }
  std::size_t start = 0;
  while (start < line.size()) {
    std::size_t end = std::min(line.size(), start + kMaxDisplayLineBytes);
    // Never inside a UTF-8 sequence; a run of continuation bytes as long as
    // a piece is no text anyway and is cut where it is.
    std::size_t back = end;
    while (back < line.size() && back > start && (static_cast<unsigned char>(line[back]) & 0xC0) == 0x80) --back;
    if (back > start) end = back;
    lines.Add(line.substr(start, end - start));
    start = end;
  }
}

}  // namespace pop3
