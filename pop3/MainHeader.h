#pragma once

#include <cstddef>
#include <string>

#include "pop3/MailMessage.h"
#include "pop3/MimePartHeader.h"

namespace pop3 {

// Longest value kept of a header field, encoding or name the retrieval
// notes.
inline constexpr std::size_t kMaxHeaderValueLength = 256;

// Notes Subject, From, Content-Type and Message-ID of message from one
// header line, by the retrieval's rule: the line's first word (up to the
// first blank) is the field's name and colon, in any letter case; the
// value starts after that blank (Subject keeps it) and is cut at
// kMaxHeaderValueLength. Called for the main header and then for the
// headers of the parts in order, so that the last one seen stays.
void NoteMessageField(TMailMessage& message, const std::string& line);

// The main header of a message as the retrieval reads it, line by line: its
// lines kept in the message's Header, its fields noted (NoteMessageField),
// and the two values the single-part rule takes from anywhere in it.
class MainHeaderReader {
 public:
  explicit MainHeaderReader(TMailMessage& message) : message_(message) {}

  // Takes the next line (line end removed); true for the empty line that
  // ends the header.
  bool TakeLine(const std::string& line);

  // The header read as a MIME header.
  PartHeader Parsed() const;
  // The value of the last line naming CONTENT-TRANSFER-ENCODING anywhere
  // (from its 28th character on).
  const std::string& Encoding() const { return encoding_; }
  // The text between the first two double quotes of the last line naming
  // NAME anywhere, in any letter case (empty when it has none).
  const std::string& AttachName() const { return attachName_; }

 private:
  TMailMessage& message_;
  std::string encoding_;
  std::string attachName_;
};

}  // namespace pop3
