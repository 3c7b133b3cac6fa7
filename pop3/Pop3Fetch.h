#pragma once

#include <cstddef>
#include <string>

#include "pop3/AnswerReader.h"

namespace pop3 {

class TPop3Client;

// What FetchMessage keeps of one message at most: its text, line ends
// included, and its number of lines (8 Mi lines of 32-byte string objects
// are another 256 MB). Past either cap the retrieval fails and the
// connection is dropped, since the rest of the answer can no longer be
// followed.
inline constexpr std::size_t kMaxMessageBytes = 256u * 1024 * 1024;
inline constexpr std::size_t kMaxMessageLines = 8u * 1024 * 1024;
static_assert(kMaxMessageLines >= kMaxMessageBytes / 78, "MIME text of 76-character lines reaches the byte cap first");

// The caps of one RETR answer, with the failure's text "Message too large
// (more than N bytes or M lines); connection closed".
AnswerLimits MessageLimits(std::size_t maxBytes = kMaxMessageBytes, std::size_t maxLines = kMaxMessageLines);

// What FetchMessage does with the answer to RETR once "+OK" has come:
// clears the client's MailMessage (all but Boundary), LineCursor and
// BytesRecvd; passes the main header, up to its empty line, through the
// MIME extractor; adds every later line up to the terminating one to
// RawLines (a message that ends inside its header has no body); sets
// MailMessage.Boundary from the main header; then extracts: a multipart
// body by its structure (one that cannot be split is shown as it came), a
// single part that is an attachment as a file, otherwise Body as RawLines
// when Parse is off, the decoded text of a Base64 body, or the single part
// as display text. Expects the state FetchMessage sets before RETR:
// Encoding, MailMessage.Boundary and AttachName empty, PartState 2.
// Raises what the reader raises (having dropped the connection),
// EListError (a Base64 body that wrote no attachment), EFileError, and
// codec::EStreamError.
void ReadMessage(TPop3Client& client, AnswerReader& answer);

}  // namespace pop3
