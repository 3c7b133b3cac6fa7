#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "net/LineSocket.h"
#include "platform/core/Exception.h"

namespace pop3 {

class TPop3Client;

// An answer past its caps; the connection has been dropped.
class EAnswerTooLong : public platform::Exception {
 public:
  using Exception::Exception;
};

// What one multi-line answer may hold at most. Past either cap the answer
// is given up: the connection is dropped, then EAnswerTooLong with
// tooLongText is raised.
struct AnswerLimits {
  std::size_t maxLines = 0;  // lines before the terminating one
  std::size_t maxBytes = 0;  // their bytes as received, line ends included
  std::string tooLongText;
  // Longest single line the transport reads (see TLineSocket::ReadLines);
  // a longer one fails with tooLongText when this is maxBytes or more,
  // else with the transport's ERangeError.
  std::size_t maxLineBytes = net::TLineSocket::kLineBufferSize;
};

// Whether a line starting with ".." loses its first dot. The message text
// of RETR is unstuffed; the listing and the TOP header keep their lines as
// they came.
enum class DotStuffing { Keep, Remove };

// The one reader of every multi-line answer (the listing, a TOP header, a
// RETR message): the lines after the status line up to the terminating "."
// line, each handed out without its line end, the caps checked.
//
// It reads through the transport's ReadLines in batches that end at the
// terminating line, so no byte after the answer is ever taken: a next
// answer already queued (pipelined commands) stays queued for the next
// reader or ReadLn.
//
// Any failure while the answer is unfinished (the connection closed, a
// cap, a line too long for the transport, a cancel or time-out, or a
// failure of the caller's own work inside ReadRest) leaves bytes of the
// answer unread, and the next command would read them as its reply. So the
// connection is dropped without QUIT before the failure goes on; the
// Disconnect that ends the session then has nothing to sign off.
class AnswerReader {
 public:
  // Fills lines with the next whole lines of the answer, each with its line
  // end, at most maxLines, ending a batch at the terminating line; false
  // when the connection is closed. Raises what TLineSocket::ReadLines
  // raises.
  using BatchSource = std::function<bool(std::vector<std::string>& lines, std::size_t maxLines)>;

  // Reads client's connection (lines up to limits.maxLineBytes long);
  // dropping means the client's DropConnection.
  AnswerReader(TPop3Client& client, AnswerLimits limits, DotStuffing dots);
  // Reads from any source of batches (tests, fuzzing); drop gives up the
  // connection.
  AnswerReader(BatchSource source, std::function<void()> drop, AnswerLimits limits, DotStuffing dots);

  // Sets line to the next line of the answer (line end removed, stuffed dot
  // removed when asked for); false at the terminating line, and on every
  // call after it. Raises, after dropping the connection: ESockError
  // kConnectionClosedText when the connection is closed before the
  // terminating line; EAnswerTooLong tooLongText past a cap; and what
  // the source raises.
  bool Next(std::string& line);

  // Calls take for every line up to the terminating one. When take raises,
  // the connection is dropped (the answer is unfinished) and the failure
  // goes on. Raises what Next raises.
  void ReadRest(const std::function<void(std::string& line)>& take);

  // The terminating line has been read.
  bool Finished() const { return finished_; }

 private:
  bool NextUnguarded(std::string& line);
  bool ReadBatch();

  BatchSource source_;
  std::function<void()> drop_;
  AnswerLimits limits_;
  DotStuffing dots_;
  std::vector<std::string> batch_;
  std::size_t next_ = 0;
  std::size_t lines_ = 0;
  std::size_t bytes_ = 0;
  bool finished_ = false;
};

}  // namespace pop3
