#include "pop3/MessageExtraction.h"

#include <utility>

#include "codec/Stream.h"
#include "net/LineSocket.h"
#include "platform/core/EventLoop.h"
#include "pop3/Pop3Client.h"
#include "pop3/TextHelpers.h"

namespace pop3 {

// Decoded bytes made into lines of Body as they come: lines end at CR LF,
// LF or a lone CR, and a last line needs no line end (as a text file's
// lines are read).
class MessageExtraction::BodyLinesStream : public codec::Stream {
 public:
  explicit BodyLinesStream(TextLines& lines) : lines_(lines) {}
  std::size_t Read(void*, std::size_t) override { return 0; }
  std::size_t Write(const void* buffer, std::size_t count) override {
    const std::string_view bytes(static_cast<const char*>(buffer), count);
    for (const char c : bytes) {
      const bool lineFeedOfPair = afterReturn_ && c == '\n';
      afterReturn_ = c == '\r';
      if (lineFeedOfPair) continue;
      if (c == '\r' || c == '\n') {
        lines_.Add(line_);
        line_.clear();
      } else {
        line_ += c;
      }
    }
    written_ += count;
    return count;
  }
  std::int64_t Position() const override { return static_cast<std::int64_t>(written_); }
  void SetPosition(std::int64_t) override {}
  std::int64_t Size() const override { return static_cast<std::int64_t>(written_); }
  // The bytes are complete: a last line without a line end counts.
  void Finish() {
    if (!line_.empty()) lines_.Add(line_);
    line_.clear();
  }

 private:
  TextLines& lines_;
  std::string line_;
  bool afterReturn_ = false;
  std::size_t written_ = 0;
};

MessageExtraction::MessageExtraction(TPop3Client& client)
    : client_(client), message_(client.MailMessage()), files_(client.AttachFilePath()), header_(message_) {}

MessageExtraction::~MessageExtraction() { Abandon(); }

void MessageExtraction::Abandon() noexcept {
  if (finished_) return;
  finished_ = true;
  attachment_.reset();
  try {
    AppendNotes();
  } catch (...) {
    // The failure that stopped the extraction is the one reported.
  }
}

void MessageExtraction::TakeLine(const std::string& line) {
  switch (stage_) {
    case Stage::Header:
      if (header_.TakeLine(line)) BeginBody();
      return;
    case Stage::Walk:
      walker_->TakeLine(line);
      break;
    case Stage::Text:
      message_.Body.Add(line);
      if (handOnText_) LineHandedOn();
      break;
    case Stage::DecodedText:
      TakeDecodedTextLine(line);
      break;
  }
  KeepEventsFlowing();
}

void MessageExtraction::Finish() {
  if (stage_ == Stage::Header) BeginBody();
  switch (stage_) {
    case Stage::Header:
      break;
    case Stage::Walk:
      walker_->Finish();
      message_.Display.Items = message_.Body.Count();
      break;
    case Stage::Text:
      message_.Display.Items = message_.Body.Count();
      break;
    case Stage::DecodedText:
      // An empty body wrote no attachment: the design's list index error.
      if (!attachment_) throw EListError("List index out of bounds (0)");
      FinishAttachment(true);
      bodyLines_->Finish();
      notes_.clear();  // the decoded text stands alone
      break;
  }
  AppendNotes();
  finished_ = true;
}

void MessageExtraction::BeginBody() {
  const PartHeader header = header_.Parsed();
  message_.Boundary = header.boundary.substr(0, kMaxHeaderValueLength);
  if (header.MainType() == "multipart" || IsAttachment(header)) {
    // A file sent alone is saved like an attachment part, whatever Parse says.
    stage_ = Stage::Walk;
    walker_.emplace(header, static_cast<MimeWalkReceiver&>(*this));
    return;
  }
  if (client_.Parse) client_.ReportStatus(net::kStatusReply, "Extracting file");
  if (client_.Parse && AsciiUpper(header_.Encoding()).find("BASE64") != std::string::npos) {
    stage_ = Stage::DecodedText;
    return;
  }
  stage_ = Stage::Text;
  handOnText_ = client_.Parse;
  ShowAsDisplay(header);
}

void MessageExtraction::LeafBegins(const MimeLeaf& leaf) {
  for (const std::string& line : leaf.headerLines) NoteMessageField(message_, line);
  ++leaves_;
  leafUse_ = LeafUse::Drop;
  if (TakesAsDisplay(leaf.header)) {
    leafUse_ = LeafUse::Display;
  } else if (IsAttachment(leaf.header) && leaves_ <= kMaxPartsPerMessage && !leaf.cutOff) {
    std::string name = leaf.header.hasFileName ? leaf.header.fileName
                       : leaf.header.type == "message/rfc822" ? kDefaultMessageName
                                                               : "";
    client_.ReportStatus(net::kStatusReply, "Extracting file");
    StartAttachment(std::move(name), TransferCodingOf(leaf.header.encoding.substr(0, kMaxHeaderValueLength)));
    leafUse_ = LeafUse::Attachment;
  }
}

void MessageExtraction::LeafLine(std::string_view line) {
  if (leafUse_ == LeafUse::Display) {
    message_.Body.Add(line);
  } else if (leafUse_ == LeafUse::Attachment) {
    attachment_->TakeLine(line);
  } else {
    return;
  }
  LineHandedOn();
}

void MessageExtraction::LeafEnds(bool lastLineEnd) {
  if (leafUse_ == LeafUse::Attachment) FinishAttachment(lastLineEnd);
  leafUse_ = LeafUse::Drop;
}

void MessageExtraction::Unsplittable(TextLines lines) {
  // Shown as it came rather than refused: the reader still sees the text.
  message_.Body = std::move(lines);
  message_.Display = TDisplayPart{};
}

// The first text/plain part that is no attachment is the display text; a
// text/html one is, until a text/plain one comes.
bool MessageExtraction::TakesAsDisplay(const PartHeader& header) {
  if (IsAttachment(header) || display_ == DisplayFound::Plain) return false;
  if (header.type == "text/plain") {
    message_.Body.Clear();
  } else if (header.type != "text/html" || display_ == DisplayFound::Html) {
    return false;
  }
  if (display_ == DisplayFound::None) client_.ReportStatus(net::kStatusReply, "Extracting file");
  display_ = header.type == "text/plain" ? DisplayFound::Plain : DisplayFound::Html;
  ShowAsDisplay(header);
  return true;
}

void MessageExtraction::ShowAsDisplay(const PartHeader& header) {
  message_.Display = TDisplayPart{true, header.type, TransferCodingOf(header.encoding), header.charset, 0};
}

// The name is settled before the file is made: a plain name that fits the
// folder, the handler's choice made so too; should it be taken, the file
// gets its next free alternative.
void MessageExtraction::StartAttachment(std::string wanted, TransferCoding coding, codec::Stream* copy) {
  std::string name = files_.FreeName(files_.PreparedName(wanted));
  if (client_.OnDecodeStart) {
    client_.OnDecodeStart(name);
    name = files_.PreparedName(name);
  }
  std::unique_ptr<platform::FileStream> file = files_.CreateAttachment(name);
  if (coding != TransferCoding::AsSent) client_.ReportStatus(net::kStatusReply, "Decoding file");
  attachment_ = std::make_unique<AttachmentWriter>(std::move(file), coding, copy);
  attachmentName_ = name;
}

// The note and the list entry follow the file: an attachment is reported
// only once it is complete under the name reported.
void MessageExtraction::FinishAttachment(bool lastLineEnd) {
  attachment_->Complete(lastLineEnd);
  attachment_.reset();
  notes_.push_back("\r\nFile \"" + attachmentName_ + "\" extracted");
  message_.Attachments.Add(attachmentName_);
  if (client_.OnDecodeEnd) client_.OnDecodeEnd(&client_);
}

void MessageExtraction::TakeDecodedTextLine(const std::string& line) {
  if (!attachment_) {
    bodyLines_ = std::make_unique<BodyLinesStream>(message_.Body);
    StartAttachment(header_.AttachName(), TransferCodingOf(header_.Encoding()), bodyLines_.get());
  }
  attachment_->TakeLine(line);
  LineHandedOn();
}

void MessageExtraction::AppendNotes() {
  for (const std::string& note : notes_) message_.Body.Add(note);
  notes_.clear();
  if (leaves_ > kMaxPartsPerMessage) message_.Body.Add(kPartsCappedNote);
}

void MessageExtraction::LineHandedOn() {
  ++client_.BytesRecvd;
  if (client_.OnPacketRecvd) client_.OnPacketRecvd(&client_);
}

// Extraction runs between the reads, outside the transport's waits, which
// are what otherwise keeps the window served.
void MessageExtraction::KeepEventsFlowing() {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastEvents_ < std::chrono::milliseconds(kMaxMillisecondsWithoutEvents)) return;
  platform::PumpEvents();
  lastEvents_ = std::chrono::steady_clock::now();
}

}  // namespace pop3
