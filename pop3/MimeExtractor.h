#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "pop3/AttachmentFiles.h"
#include "pop3/DisplayLines.h"
#include "pop3/MailMessage.h"
#include "pop3/MimePartHeader.h"
#include "pop3/MimeWalk.h"
#include "pop3/TextHelpers.h"

namespace pop3 {

class TPop3Client;

// Name given to an attachment of type message/rfc822 that names no file.
inline constexpr const char* kDefaultMessageName = "message.eml";

// Index of the next unread item of MailMessage.RawLines; FetchMessage sets
// it to 0 before the extraction. Shared by every client object, so two
// clients must not retrieve at the same time.
extern std::int32_t LineCursor;

// The number in the name of the latest temporary part file ("Temp1.mme",
// "Temp2.mme", ...). Raised for every name tried: a name already taken in
// the folder (an attachment saved under it, another session's part file)
// is passed over, so the counter may run ahead of the files created. Never
// reset, so a name does not repeat within one run.
extern std::int32_t TempCounter;

// Longest value kept of a header field, boundary, encoding.
inline constexpr std::size_t kMaxHeaderValueLength = 256;

// Most parts one multipart message is walked for; the walk stops there and
// says so in Body (kPartsCappedNote).
inline constexpr int kMaxPartsPerMessage = 1000;
inline constexpr const char* kPartsCappedNote =
    "\r\nThis message has more than 1000 parts: only the first 1000 were extracted";

// Longest the extraction runs without turning the event loop, so that the
// window stays responsive between the reads of a long message.
inline constexpr int kMaxMillisecondsWithoutEvents = 50;

// The MIME extractor that FetchMessage drives. It works on the client's
// MailMessage and extractor state (AttachName, Encoding, PartState), counts
// BytesRecvd and fires OnPacketRecvd, OnDecodeStart and OnDecodeEnd.
// Attachment files and temporary part files go into the client's
// AttachFilePath and never elsewhere, always as new files under names the
// program does not own (AttachmentFiles): names from part headers and from
// the OnDecodeStart handler are made plain and short enough first. An
// attachment is listed in Attachments, noted in Body and announced by
// OnDecodeEnd only once its file is in place. The event loop turns now and
// then during a long part.
class MimeExtractor {
 public:
  explicit MimeExtractor(TPop3Client& client);

  // Takes one line of the main header (line end removed): appends it to
  // MailMessage.Header while PartState is 2, and notes Subject, From,
  // Content-Type, Message-ID, the transfer encoding and a quoted file name.
  // Returns true for the empty line that ends a header.
  bool TakeHeaderLine(const std::string& line);
  // A header has ended: PartState 2 becomes 1.
  void EndHeader();

  // The main header as MailMessage.Header holds it, read as a MIME header.
  PartHeader MainHeader() const;

  // Walks a multipart body (see WalkMime) and extracts it: the display
  // text (the first text/plain part that is no attachment, else the first
  // such text/html part) into Body (AddDisplayLine), then every attachment
  // in order, each adding its note to Body. Other parts (alternatives of
  // the display text, further texts) write nothing. Past
  // kMaxPartsPerMessage parts the rest is left and kPartsCappedNote ends
  // Body. A body the walk cannot split becomes Body as it came. Leaves PartState at 0 and
  // LineCursor after the last line the walk took. Raises EFileError and
  // codec::EStreamError.
  void SplitMultipart(const PartHeader& mainHeader);

  // When the single-part message with this header is an attachment (see
  // IsAttachment), extracts its whole body like an attachment part and
  // returns true; otherwise returns false and does nothing.
  bool ExtractSinglePartAttachment(const PartHeader& mainHeader);

  // Extracts the single part's body from LineCursor to the end of
  // RawLines: display text into Body (AddDisplayLine) while PartState > 0,
  // otherwise an attachment file named by AttachName and decoded by
  // Encoding. Leaves PartState at 0. Raises EFileError when a file cannot
  // be created or written (a move that fails is noted in Body instead, the
  // part staying in its temporary file).
  void ExtractPart();

 private:
  // Notes Subject, From, Content-Type and Message-ID from a header line:
  // the main header's, then those of the parts in order, so that the last
  // one seen stays.
  void NoteMessageField(const std::string& line);
  void TakeDisplayText(const MimeLeaf& leaf);
  void ExtractAttachment(const MimeLeaf& leaf);
  void LineHandedOn();
  void FinishAttachment(const std::string& tempName);
  std::string ChooseAttachmentName();
  void DecodeAttachment(const std::string& tempName, std::string& targetName, TransferCoding coding);
  // Turns the event loop when it has not turned for a while.
  void KeepEventsFlowing();

  TPop3Client& client_;
  TMailMessage& message_;
  AttachmentFiles files_;
  std::chrono::steady_clock::time_point lastEvents_ = std::chrono::steady_clock::now();
};

}  // namespace pop3
