#include "pop3/MimeExtractor.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

#include "codec/QuotedPrintable.h"
#include "codec/UUCoder.h"
#include "net/LineSocket.h"
#include "platform/core/EventLoop.h"
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

// The part shown as the message's text: the first text/plain part that is
// no attachment, else the first such text/html part; none when neither.
const MimeLeaf* DisplayLeaf(const std::vector<MimeLeaf>& leaves) {
  for (const char* type : {"text/plain", "text/html"}) {
    for (const MimeLeaf& leaf : leaves) {
      if (leaf.header.type == type && !IsAttachment(leaf.header)) return &leaf;
    }
  }
  return nullptr;
}

// Leaves the decoder without streams however decoding ends, so that it
// never points at a closed file.
class DecoderStreams {
 public:
  DecoderStreams(codec::TUUProcessor& decoder, codec::Stream& input, codec::Stream& output)
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

// The decoder's input, passed through: every read first lets the event
// loop turn when it is due, so that a large attachment does not hold the
// window up while it is decoded.
class EventFlowingStream : public codec::Stream {
 public:
  EventFlowingStream(codec::Stream& inner, std::function<void()> keepFlowing)
      : inner_(inner), keepFlowing_(std::move(keepFlowing)) {}
  std::size_t Read(void* buffer, std::size_t count) override {
    keepFlowing_();
    return inner_.Read(buffer, count);
  }
  std::size_t Write(const void* buffer, std::size_t count) override { return inner_.Write(buffer, count); }
  std::int64_t Position() const override { return inner_.Position(); }
  void SetPosition(std::int64_t position) override { inner_.SetPosition(position); }
  std::int64_t Size() const override { return inner_.Size(); }

 private:
  codec::Stream& inner_;
  std::function<void()> keepFlowing_;
};

}  // namespace

MimeExtractor::MimeExtractor(TPop3Client& client)
    : client_(client), message_(client.MailMessage()), files_(client.AttachFilePath()) {}

void MimeExtractor::NoteMessageField(const std::string& line) {
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
}

bool MimeExtractor::TakeHeaderLine(const std::string& line) {
  if (client_.PartState == 2) message_.Header.Add(line);
  if (line.empty()) return true;
  NoteMessageField(line);

  const std::string upper = AsciiUpper(line);
  if (upper.find("CONTENT-TRANSFER-ENCODING") != std::string::npos) client_.Encoding = ValueFrom(line, 28);
  if (upper.find("NAME") != std::string::npos) client_.AttachName = net::NthWord(line, '"', 2);
  return false;
}

void MimeExtractor::EndHeader() {
  if (client_.PartState == 2) client_.PartState = 1;
}

PartHeader MimeExtractor::MainHeader() const {
  const std::vector<std::string>& lines = message_.Header.Items();
  return ParsePartHeader(lines, 0, lines.size(), "text/plain");
}

void MimeExtractor::LineHandedOn() {
  ++client_.BytesRecvd;
  if (client_.OnPacketRecvd) client_.OnPacketRecvd(&client_);
  KeepEventsFlowing();
}

void MimeExtractor::SplitMultipart(const PartHeader& mainHeader) {
  const std::vector<std::string>& lines = message_.RawLines.Items();
  std::vector<MimeLeaf> leaves;
  std::size_t walked = 0;
  if (!WalkMime(lines, mainHeader, leaves, walked)) {
    // Shown as it came rather than refused: the reader still sees the text.
    for (const std::string& line : lines) AddDisplayLine(message_.Body, line);
    LineCursor = static_cast<std::int32_t>(lines.size());
    client_.PartState = 0;
    return;
  }
  const MimeLeaf* display = DisplayLeaf(leaves);
  for (const MimeLeaf& leaf : leaves) {
    for (std::size_t i = leaf.headerBegin; i < leaf.headerEnd; ++i) NoteMessageField(lines[i]);
  }
  if (display) TakeDisplayText(*display);
  int parts = 0;
  for (const MimeLeaf& leaf : leaves) {
    if (parts++ == kMaxPartsPerMessage) {
      message_.Body.Add(kPartsCappedNote);
      break;
    }
    // A part whose header the end of the message cut off has no body.
    if (!leaf.headerEnded && leaf.lastLineEnd) continue;
    if (IsAttachment(leaf.header)) ExtractAttachment(leaf);
  }
  LineCursor = static_cast<std::int32_t>(walked);
  client_.PartState = 0;
}

bool MimeExtractor::ExtractSinglePartAttachment(const PartHeader& mainHeader) {
  if (!IsAttachment(mainHeader)) return false;
  const std::size_t count = message_.RawLines.Items().size();
  ExtractAttachment(MimeLeaf{mainHeader, 0, 0, 0, count, true, true});
  LineCursor = static_cast<std::int32_t>(count);
  client_.PartState = 0;
  return true;
}

void MimeExtractor::TakeDisplayText(const MimeLeaf& leaf) {
  client_.ReportStatus(net::kStatusReply, "Extracting file");
  const std::vector<std::string>& lines = message_.RawLines.Items();
  for (std::size_t i = leaf.begin; i < leaf.end; ++i) {
    AddDisplayLine(message_.Body, lines[i]);
    LineHandedOn();
  }
}

void MimeExtractor::ExtractAttachment(const MimeLeaf& leaf) {
  const PartHeader& header = leaf.header;
  client_.Encoding = header.encoding.substr(0, kMaxHeaderValueLength);
  if (header.hasFileName) {
    client_.AttachName = header.fileName;
  } else {
    client_.AttachName = header.type == "message/rfc822" ? kDefaultMessageName : "";
  }
  std::string tempName;
  std::unique_ptr<platform::FileStream> temp = files_.CreatePartFile(tempName);
  client_.ReportStatus(net::kStatusReply, "Extracting file");
  KeepEventsFlowing();

  // The line end before a delimiter line belongs to the delimiter: the
  // part's bytes are its lines joined by CR LF, and only a body that runs
  // to the end of the message keeps the line end of its last line.
  const std::vector<std::string>& lines = message_.RawLines.Items();
  for (std::size_t i = leaf.begin; i < leaf.end; ++i) {
    if (i > leaf.begin) temp->WriteBuffer("\r\n", 2);
    temp->WriteBuffer(lines[i].data(), lines[i].size());
    LineHandedOn();
  }
  if (leaf.lastLineEnd && leaf.end > leaf.begin) temp->WriteBuffer("\r\n", 2);
  temp->Close();
  FinishAttachment(tempName);
}

void MimeExtractor::ExtractPart() {
  std::unique_ptr<platform::FileStream> temp;
  std::string tempName;
  if (client_.PartState == 0) temp = files_.CreatePartFile(tempName);
  client_.ReportStatus(net::kStatusReply, "Extracting file");
  KeepEventsFlowing();

  const std::vector<std::string>& lines = message_.RawLines.Items();
  const auto count = static_cast<std::int32_t>(lines.size());
  if (LineCursor >= count) {
    // Nothing left: no attachment, and PartState stays as it is.
    if (temp) temp->Close();
    return;
  }
  while (LineCursor < count) {
    const std::string& line = lines[static_cast<std::size_t>(LineCursor++)];
    if (temp) {
      temp->WriteBuffer(line.data(), line.size());
      temp->WriteBuffer("\r\n", 2);
    } else {
      AddDisplayLine(message_.Body, line);
    }
    LineHandedOn();
  }
  if (temp) {
    temp->Close();
    FinishAttachment(tempName);
  }
  client_.PartState = 0;
}

std::string MimeExtractor::ChooseAttachmentName() {
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

namespace {

// A part file that cannot be removed stays behind; the attachment is
// saved all the same.
void RemovePartFile(const std::string& tempName) {
  try {
    platform::RemoveFile(tempName);
  } catch (const platform::EFileError&) {
  }
}

}  // namespace

// The note and the list entry follow the file: an attachment is reported
// only once it is in place under the name reported.
void MimeExtractor::FinishAttachment(const std::string& tempName) {
  std::string name = ChooseAttachmentName();
  const TransferCoding coding = TransferCodingOf(client_.Encoding);
  if (coding != TransferCoding::AsSent) {
    // Once decoded the part file has served, and a failed decode leaves
    // nothing in it worth keeping: either way it goes, so that the folder
    // holds only the attachments the user asked for.
    try {
      DecodeAttachment(tempName, name, coding);
    } catch (...) {
      RemovePartFile(tempName);
      throw;
    }
    RemovePartFile(tempName);
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

void MimeExtractor::DecodeAttachment(const std::string& tempName, std::string& targetName,
                                      TransferCoding coding) {
  platform::FileStream input(tempName, platform::FileOpenMode::OpenRead);
  const std::unique_ptr<platform::FileStream> output = files_.CreateAttachment(targetName);
  client_.ReportStatus(net::kStatusReply, "Decoding file");
  if (coding == TransferCoding::QuotedPrintable) {
    // Quoted-printable parts are text-sized; the part is decoded whole.
    std::string text(static_cast<std::size_t>(input.Size()), '\0');
    if (!text.empty()) input.ReadBuffer(text.data(), text.size());
    const std::string decoded = codec::DecodeQuotedPrintable(text);
    if (!decoded.empty()) output->WriteBuffer(decoded.data(), decoded.size());
  } else {
    EventFlowingStream flowingInput(input, [this] { KeepEventsFlowing(); });
    codec::TUUProcessor& decoder = client_.Decoder();
    DecoderStreams streams(decoder, flowingInput, *output);
    decoder.SetMethod(coding == TransferCoding::UU ? codec::uuCode : codec::uuMime);
    decoder.Decode();
  }
  // Closing explicitly lets a failed final write reach the caller; on the
  // error path the destructors close both files.
  output->Close();
  input.Close();
}

// Extraction runs between the reads, outside the transport's waits, which
// are what otherwise keeps the window served.
void MimeExtractor::KeepEventsFlowing() {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastEvents_ < std::chrono::milliseconds(kMaxMillisecondsWithoutEvents)) return;
  platform::PumpEvents();
  lastEvents_ = std::chrono::steady_clock::now();
}

}  // namespace pop3
