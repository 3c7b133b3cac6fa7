#pragma once

#include <cstddef>
#include <functional>
#include <string>

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

// The lines of one RETR answer as they arrive: the line end and the stuffed
// dot of a line starting with ".." removed, the terminating "." line
// recognised, the size capped.
class TAnswerLines {
 public:
  // readLine returns the next line with its line end and raises when the
  // connection is gone; dropConnection gives up a connection whose answer
  // cannot be followed any more.
  TAnswerLines(std::function<std::string()> readLine, std::function<void()> dropConnection,
               std::size_t maxBytes = kMaxMessageBytes, std::size_t maxLines = kMaxMessageLines);

  // Sets line to the next line of the message; false at the terminating
  // line ("." with its line end). Past a cap: calls dropConnection, then
  // raises platform::Exception "Message too large (more than N bytes or M
  // lines); connection closed".
  bool Next(std::string& line);

 private:
  std::function<std::string()> readLine_;
  std::function<void()> dropConnection_;
  std::size_t maxBytes_;
  std::size_t maxLines_;
  std::size_t bytes_ = 0;
  std::size_t lines_ = 0;
};

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
// Raises what answer.Next raises, EListError (a Base64 body that wrote no
// attachment), EFileError, and codec::EStreamError.
void ReadMessage(TPop3Client& client, TAnswerLines& answer);

}  // namespace pop3
