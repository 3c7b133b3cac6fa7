#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "net/LineSocket.h"
#include "net/WaitSupport.h"
#include "platform/core/EventLoop.h"
#include "platform/core/SocketErrors.h"

namespace net {

namespace {

// The terminator rule for a line whose start (head) was taken earlier;
// segment, line feed included, is the rest of it.
bool IsTerminatorLine(const std::string& head, const char* segment, std::size_t length) {
  if (head.size() + length > 3) return false;
  return IsAnswerTerminator(head + std::string(segment, length));
}

// Length of the front of bytes[0, count) that holds whole lines: at most
// maxLines of them, and none after the terminating line when
// stopAtTerminator. 0 when the bytes hold no line feed.
std::size_t WholeLinesLength(const char* bytes, std::size_t count, const std::string& head, std::size_t maxLines,
                             bool stopAtTerminator) {
  std::size_t end = 0;
  for (std::size_t lines = 0; lines < maxLines; ++lines) {
    const void* lineFeed = std::memchr(bytes + end, '\n', count - end);
    if (lineFeed == nullptr) break;
    const std::size_t next = static_cast<std::size_t>(static_cast<const char*>(lineFeed) - bytes) + 1;
    const bool terminator =
        stopAtTerminator && IsTerminatorLine(lines == 0 ? head : std::string(), bytes + end, next - end);
    end = next;
    if (terminator) break;
  }
  return end;
}

// Cuts bytes[0, count) into lines after the line feeds; head starts the
// first. Bytes after the last line feed (there are none when the receive
// returned what the peek showed) make a last line of their own.
void SplitLines(const char* bytes, std::size_t count, std::string head, std::vector<std::string>& lines) {
  std::size_t start = 0;
  while (start < count) {
    const void* lineFeed = std::memchr(bytes + start, '\n', count - start);
    const std::size_t next =
        lineFeed != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lineFeed) - bytes) + 1 : count;
    if (lines.empty()) {
      head.append(bytes + start, next - start);
      lines.push_back(std::move(head));
    } else {
      lines.emplace_back(bytes + start, next - start);
    }
    start = next;
  }
}

}  // namespace

bool IsAnswerTerminator(std::string_view line) { return line == ".\r\n" || line == ".\n"; }

// One peek shows up to 64 KiB; one receive then takes the whole lines found
// in it, so a long answer costs two system calls per 64 KiB instead of two
// per line, and still nothing stays in the component between calls. While
// no whole line is queued it waits exactly as ReadLn does.
bool TLineSocket::ReadLines(std::vector<std::string>& lines, std::size_t maxLines, bool stopAtTerminator,
                            std::size_t maxLineLength) {
  ReportStatus(kStatusTrace, "ReadLn");
  lines.clear();
  maxLines = std::max<std::size_t>(maxLines, 1);
  detail::TimeoutScope timeout(*this);
  std::string head;  // start of the first line, taken while no line feed was queued
  const std::size_t wanted =
      WaitForLineEnd(head, detail::kMaxReceive, [&](const char* bytes, std::size_t count) {
        return WholeLinesLength(bytes, count, head, maxLines, stopAtTerminator);
      },
      maxLineLength);
  if (wanted == 0) return false;  // closed or not connected, as callers expect of ReadLn's ""
  const long received = socket_->Recv(lineBuffer_.get(), wanted, false);
  if (received < 0) {
    CheckSocketError(platform::kSockEWOULDBLOCK);
    return false;
  }
  SplitLines(lineBuffer_.get(), static_cast<std::size_t>(received), std::move(head), lines);
  return !lines.empty();
}

}  // namespace net
