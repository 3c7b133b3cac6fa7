#pragma once

#include <cstddef>
#include <string>

#include "pop3/AnswerReader.h"

namespace pop3 {

class TPop3Client;

// What FetchMessage takes of one message at most: its text, line ends
// included, and its number of lines (the display text may hold all of
// them, at four bytes a line beside its text). Past either cap the
// retrieval fails and the connection is dropped, since the rest of the
// answer can no longer be followed.
inline constexpr std::size_t kMaxMessageBytes = 256u * 1024 * 1024;
inline constexpr std::size_t kMaxMessageLines = 8u * 1024 * 1024;
static_assert(kMaxMessageLines >= kMaxMessageBytes / 78, "MIME text of 76-character lines reaches the byte cap first");

// The caps of one RETR answer, with the failure's text "Message too large
// (more than N bytes or M lines); connection closed".
AnswerLimits MessageLimits(std::size_t maxBytes = kMaxMessageBytes, std::size_t maxLines = kMaxMessageLines);

// What FetchMessage does with the answer to RETR once "+OK" has come:
// clears the client's MailMessage (all but Boundary) and BytesRecvd, then
// reads the answer line by line through a MessageExtraction, which parses
// it once as it arrives (see there), and sets MailMessage.Boundary from
// the main header. Raises what the reader raises (having dropped the
// connection), and what the extraction raises (EFileError,
// codec::EStreamError; the rest of the answer read and dropped first, so
// that the session goes on), EListError for a Base64 single part with
// Parse on whose body is empty. Expects MailMessage.Boundary empty, as
// FetchMessage leaves it before RETR.
void ReadMessage(TPop3Client& client, AnswerReader& answer);

}  // namespace pop3
