#include "pop3/MimeExtractor.h"

#include <memory>

#include "codec/UUCoder.h"
#include "net/LineSocket.h"
#include "platform/core/FileStream.h"
#include "platform/core/Files.h"
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

// Anything already in the folder under that name, file or folder, takes the
// name: a new attachment never replaces it.
bool NameTaken(const std::string& path) {
  return platform::FileExists(path) || platform::FolderExists(path);
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

TMimeExtractor::TMimeExtractor(TPop3Client& client) : client_(client), message_(client.MailMessage()) {}

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
  do {
    ParseHeaderFromRawLines(scratch);
    closed = ExtractPart();
  } while (LineCursor < count && !closed);
}

bool TMimeExtractor::ExtractPart() {
  std::unique_ptr<platform::TFileStream> temp;
  std::string tempName;
  if (client_.PartState == 0) {
    // Creating the file empties what has the name already: an attachment
    // kept under a "TempN.mme" name, or another session's part file.
    do {
      ++TempCounter;
      tempName = client_.AttachFilePath() + "Temp" + std::to_string(TempCounter) + ".mme";
    } while (NameTaken(tempName));
    temp = std::make_unique<platform::TFileStream>(tempName, platform::FileOpenMode::Create);
  }
  client_.ReportStatus(net::kStatusReply, "Extracting file");

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
      message_.Body.Add(line);
    }
    ++client_.BytesRecvd;
    if (client_.OnPacketRecvd) client_.OnPacketRecvd(&client_);
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
  name = SafeAttachmentName(name);
  name = FreeAttachmentName(client_.AttachFilePath(), name, NameTaken);
  if (client_.OnDecodeStart) {
    // The handler's choice is taken without a new existence check, but it
    // too stays a plain name inside the folder.
    client_.OnDecodeStart(name);
    name = SafeAttachmentName(name);
  }
  return name;
}

void TMimeExtractor::FinishAttachment(const std::string& tempName) {
  const std::string name = ChooseAttachmentName();
  message_.Body.Add("\r\nFile \"" + name + "\" extracted");
  message_.Attachments.Add(name);

  const std::string& encoding = client_.Encoding;
  if (AsciiLower(encoding).find("base64") != std::string::npos ||
      encoding.find("X-UUENCODE") != std::string::npos) {
    DecodeAttachment(tempName, name);
    return;
  }
  try {
    platform::RenameFile(tempName, client_.AttachFilePath() + name);
  } catch (const platform::EFileError&) {
    // The part stays readable in its temporary file; the note in Body
    // already names the attachment, as it does for a decoded one.
  }
}

void TMimeExtractor::DecodeAttachment(const std::string& tempName, const std::string& targetName) {
  platform::TFileStream input(tempName, platform::FileOpenMode::OpenRead);
  platform::TFileStream output(client_.AttachFilePath() + targetName, platform::FileOpenMode::Create);
  codec::TUUProcessor& decoder = client_.Decoder();
  {
    DecoderStreams streams(decoder, input, output);
    decoder.SetMethod(client_.Encoding.find("X-UUENCODE") != std::string::npos ? codec::uuCode : codec::uuMime);
    client_.ReportStatus(net::kStatusReply, "Decoding file");
    decoder.Decode();
  }
  // Closing explicitly lets a failed final write reach the caller; on the
  // error path the destructors close both files.
  output.Close();
  input.Close();
}

}  // namespace pop3
