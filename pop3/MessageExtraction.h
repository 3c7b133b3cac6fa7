#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pop3/AttachmentFiles.h"
#include "pop3/AttachmentWriter.h"
#include "pop3/MailMessage.h"
#include "pop3/MainHeader.h"
#include "pop3/MimeWalk.h"

namespace pop3 {

class TPop3Client;

// Name given to an attachment of type message/rfc822 that names no file.
inline constexpr const char* kDefaultMessageName = "message.eml";

// Most parts one multipart message is extracted for; past them the rest is
// left and Body says so (kPartsCappedNote).
inline constexpr int kMaxPartsPerMessage = 1000;
inline constexpr const char* kPartsCappedNote =
    "\r\nThis message has more than 1000 parts: only the first 1000 were extracted";

// Longest the extraction runs without turning the event loop, so that the
// window stays responsive while a long message is taken in.
inline constexpr int kMaxMillisecondsWithoutEvents = 50;

// The extraction of one message while its RETR answer is read, one line at
// a time, into the client's MailMessage: the whole of its state (where the
// header ends, which part is shown, the attachment being written) lives
// here. The message is parsed once, as it arrives:
// - the main header goes into Header (MainHeaderReader);
// - a multipart body, or a single part that is an attachment, is walked
//   (MimeWalker): the display text (the first text/plain part that is no
//   attachment, else the first such text/html part; an HTML part held
//   until a plain one replaces it) goes into Body line by line, each
//   attachment is decoded into its file while its lines arrive, other
//   parts are dropped; past kMaxPartsPerMessage parts no more files are
//   written. A multipart the walk cannot split becomes Body as it came;
// - a single part with Parse off becomes Body as it came; with Parse on,
//   a Base64 body (by the design's rule: an encoding naming BASE64
//   anywhere in the header) is decoded into a file named by the header's
//   quoted NAME and into Body, any other body is Body as it came.
// Display says what the start of Body is; Body ends with one note per
// attachment file written. Files go into the client's AttachFilePath and
// nowhere else, always new, under names the program does not own
// (AttachmentFiles); names from part headers and from OnDecodeStart are
// made plain and short enough first. An attachment is listed, noted and
// announced by OnDecodeEnd only once its file is complete; one cut off
// (the answer broken off, a failure) is removed. Counts BytesRecvd and
// fires OnPacketRecvd for every line given to the display text or a file;
// turns the event loop now and then.
class MessageExtraction : private MimeWalkReceiver {
 public:
  explicit MessageExtraction(TPop3Client& client);
  // Abandons the extraction unless Finish has succeeded.
  ~MessageExtraction() override;
  MessageExtraction(const MessageExtraction&) = delete;
  MessageExtraction& operator=(const MessageExtraction&) = delete;

  // The answer's next line (line end and stuffed dot removed). Raises
  // EFileError and codec::EStreamError.
  void TakeLine(const std::string& line);
  // The answer is complete (a message ending inside its header has no
  // body). Raises EFileError, and EListError "List index out of bounds
  // (0)" for a Base64 single part with Parse on whose body is empty.
  void Finish();
  // The extraction stops short (a failure, the answer broken off): the
  // attachment being written is removed and reported nowhere; what was
  // complete stays in the message. Later calls do nothing.
  void Abandon() noexcept;

 private:
  enum class Stage { Header, Walk, Text, DecodedText };
  enum class LeafUse { Drop, Display, Attachment };
  enum class DisplayFound { None, Html, Plain };

  void BeginBody();
  void LeafBegins(const MimeLeaf& leaf) override;
  void LeafLine(std::string_view line) override;
  void LeafEnds(bool lastLineEnd) override;
  void Unsplittable(TextLines lines) override;
  bool TakesAsDisplay(const PartHeader& header);
  void ShowAsDisplay(const PartHeader& header);
  void StartAttachment(std::string wanted, TransferCoding coding, codec::Stream* copy = nullptr);
  void FinishAttachment(bool lastLineEnd);
  void TakeDecodedTextLine(const std::string& line);
  void AppendNotes();
  void LineHandedOn();
  // Turns the event loop when it has not turned for a while.
  void KeepEventsFlowing();

  class BodyLinesStream;

  TPop3Client& client_;
  TMailMessage& message_;
  AttachmentFiles files_;
  MainHeaderReader header_;
  Stage stage_ = Stage::Header;
  bool handOnText_ = false;  // the lines of stage Text count as handed on
  std::optional<MimeWalker> walker_;
  LeafUse leafUse_ = LeafUse::Drop;
  DisplayFound display_ = DisplayFound::None;
  int leaves_ = 0;
  std::unique_ptr<BodyLinesStream> bodyLines_;
  std::unique_ptr<AttachmentWriter> attachment_;
  std::string attachmentName_;
  std::vector<std::string> notes_;
  bool finished_ = false;
  std::chrono::steady_clock::time_point lastEvents_ = std::chrono::steady_clock::now();
};

}  // namespace pop3
