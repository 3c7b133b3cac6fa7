#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "pop3/AttachmentFiles.h"
#include "pop3/MailMessage.h"

namespace pop3 {

class TPop3Client;

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

// Longest line Body holds: a longer line of display text is wrapped into
// pieces of at most this many bytes (RFC 5322's line limit). Attachments
// keep their lines whole.
inline constexpr std::size_t kMaxDisplayLineBytes = 998;

// Longest the extraction runs without turning the event loop, so that the
// window stays responsive between the reads of a long message.
inline constexpr int kMaxMillisecondsWithoutEvents = 50;

// Appends line to lines, wrapped into pieces of at most
// kMaxDisplayLineBytes bytes, never splitting a UTF-8 sequence.
void AddDisplayLine(TStringList& lines, const std::string& line);

// The boundary text kept from the characters after "BOUNDARY=": a value
// starting with the control character 0x16 loses its last two characters,
// any other its last three and its first (so "\"XYZ12345\"" keeps XYZ123,
// which still finds the delimiter lines by substring search). A value too
// short for that trimming gives the empty boundary, which matches no line.
std::string TrimmedBoundary(const std::string& value);

// The line-based MIME extractor that FetchMessage drives. It works on the
// client's MailMessage and extractor state (AttachName, Encoding,
// PartState), counts BytesRecvd and fires OnPacketRecvd and OnDecodeStart.
// Attachment files and temporary part files go into the client's
// AttachFilePath and never elsewhere, always as new files under names the
// program does not own (TAttachmentFiles): names from part headers and from
// the OnDecodeStart handler are made plain and short enough first. An
// attachment is listed in Attachments, noted in Body and announced by
// OnDecodeEnd only once its file is in place. The event loop turns now and
// then during a long part.
class TMimeExtractor {
 public:
  explicit TMimeExtractor(TPop3Client& client);

  // Takes one header line (line end removed): appends it to
  // MailMessage.Header while PartState is 2, and notes Subject, From,
  // Content-Type, Message-ID, the boundary (into boundaryTarget), the
  // transfer encoding and a quoted file name. Returns true for the empty
  // line that ends a header.
  bool TakeHeaderLine(const std::string& line, TMailMessage& boundaryTarget);
  // A header has ended: PartState 2 becomes 1.
  void EndHeader();

  // Reads one header from RawLines at LineCursor, up to and including its
  // empty line; returns at once, PartState unchanged, when RawLines is used
  // up before that line.
  void ParseHeaderFromRawLines(TMailMessage& boundaryTarget);

  // Walks a multipart body: skips the preamble up to the first delimiter
  // line, then parses and extracts part after part until the closing
  // delimiter, the end of RawLines, or kMaxPartsPerMessage parts (then
  // kPartsCappedNote ends Body). Raises EListError when no line holds the
  // boundary (also when it is empty).
  void SplitMultipart();

  // Extracts the part at LineCursor: display text into Body while
  // PartState > 0 (AddDisplayLine), otherwise an attachment file (decoded
  // when the encoding says Base64 or "X-UUENCODE"). Returns true when it
  // stopped at the closing delimiter. Leaves PartState at 0. Raises
  // EFileError when a file cannot be created or written (a move that fails
  // is noted in Body instead, the part staying in its temporary file).
  bool ExtractPart();

 private:
  void FinishAttachment(const std::string& tempName);
  std::string ChooseAttachmentName();
  void DecodeAttachment(const std::string& tempName, std::string& targetName);
  // Turns the event loop when it has not turned for a while.
  void KeepEventsFlowing();

  TPop3Client& client_;
  TMailMessage& message_;
  TAttachmentFiles files_;
  std::chrono::steady_clock::time_point lastEvents_ = std::chrono::steady_clock::now();
};

}  // namespace pop3
