#include <algorithm>
#include <cstring>

#include "net/LineSocket.h"
#include "net/WaitSupport.h"
#include "platform/core/EventLoop.h"
#include "platform/core/SocketErrors.h"

namespace net {

namespace {

// ReadLn peeks at this much first: replies are short, and copying 64 KiB
// for every line would dominate the cost of reading.
constexpr std::size_t kFirstPeek = 512;
// Longest text that one send takes (a 16-bit count).
constexpr std::size_t kMaxSend = 65535;

}  // namespace

void TLineSocket::Write(const std::string& text) {
  ReportStatus(kStatusTrace, "Write");
  const std::size_t copied = std::min(text.size(), detail::kMaxReceive);
  const std::size_t length = std::find(text.begin(), text.begin() + copied, '\0') - text.begin();
  if (length > kMaxSend) throw ERangeError("Range check error");
  std::memcpy(lineBuffer_.get(), text.data(), length);
  lineBuffer_[length] = '\0';
  SendBuffer(lineBuffer_.get(), 0);
}

void TLineSocket::Writeln(const std::string& text) {
  ReportStatus(kStatusTrace, "Writeln");
  Write(text + "\r\n");
}

void TLineSocket::SendBuffer(const char* bytes, std::uint16_t length) {
  ReportStatus(kStatusSocket, "Sending Buffer");
  detail::TimeoutScope timeout(*this);
  if (!cancelRequested_) {
    const std::size_t total = length != 0 ? length : ::strnlen(bytes, kMaxSend);
    std::size_t remaining = total;
    while (remaining > 0 && !cancelRequested_ && !timedOut_) {
      const long sent = socket_->Send(bytes + (total - remaining), remaining);
      if (sent == 0) break;
      if (sent < 0) {
        CheckSocketError(platform::kSockEWOULDBLOCK);
        // The connection takes nothing now: wait for room instead of
        // offering the same bytes again at once; a cancel may arrive.
        socket_->WaitWritable(detail::kWaitSliceMs);
        continue;
      }
      remaining -= static_cast<std::size_t>(sent);
    }
  }
  if (cancelRequested_ || timedOut_) {
    cancelRequested_ = false;
    throw EAbortError("Socket send aborted");
  }
}

void TLineSocket::TakeInto(std::string& line, std::size_t count) {
  const long received = socket_->Recv(lineBuffer_.get(), count, false);
  if (received < 0) {
    CheckSocketError(platform::kSockEWOULDBLOCK);
    return;
  }
  line.append(lineBuffer_.get(), static_cast<std::size_t>(received));
}

// While nothing is queued it sleeps until bytes, or any event, arrive; the
// cancel and time-out flags are tested after every pass. A closed
// connection ends the wait at once, one that is not connected only after
// that test, so a pending cancel still raises there.
std::size_t TLineSocket::WaitForLineEnd(std::string& head, std::size_t firstPeek, const LineEndMeasure& measure,
                                        std::size_t maxHead) {
  std::size_t peekSize = firstPeek;
  std::size_t found = 0;
  for (;;) {
    const std::size_t room = maxHead > head.size() ? maxHead - head.size() : 0;
    if (room == 0) throw ERangeError("Range check error");
    const std::size_t asked = std::min({peekSize, room, detail::kMaxReceive});
    const long peeked = socket_->Recv(lineBuffer_.get(), asked, true);
    if (peeked == 0) return 0;  // the peer has closed
    if (peeked < 0) {
      if (platform::LastSocketError() == platform::kSockENOTCONN) break;
      CheckSocketError(platform::kSockEWOULDBLOCK);
      socket_->WaitReadable(detail::kWaitSliceMs);
    } else {
      const std::size_t count = static_cast<std::size_t>(peeked);
      found = measure(lineBuffer_.get(), count);
      if (found > 0) break;
      TakeInto(head, count);  // all of it belongs to the first line
      if (count == asked) peekSize = std::min(peekSize * 2, detail::kMaxReceive);
      platform::PumpEvents();
    }
    if (cancelRequested_ || timedOut_) break;
  }
  if (cancelRequested_ || timedOut_) {
    cancelRequested_ = false;
    throw EAbortError("Socket readln aborted");
  }
  return found;  // still 0 when not connected
}

// Peeks, and takes only what belongs to the line, so that nothing is held
// back in the component between calls: ClearInput, DataAvailable and the
// close notification see exactly what the socket has queued.
void TLineSocket::ReadLn(std::string& line) {
  ReportStatus(kStatusTrace, "ReadLn");
  line.clear();
  detail::TimeoutScope timeout(*this);
  const std::size_t lineRest =  // bytes up to and including the line feed
      WaitForLineEnd(line, kFirstPeek, [](const char* bytes, std::size_t count) -> std::size_t {
        const void* lineFeed = std::memchr(bytes, '\n', count);
        return lineFeed != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lineFeed) - bytes) + 1 : 0;
      });
  if (lineRest == 0) {
    line.clear();  // as for a closed connection, which is what callers expect
    return;
  }
  TakeInto(line, lineRest);
}

void TLineSocket::Transaction(const std::string& command, std::string& reply) {
  ReportStatus(kStatusTrace, "Transaction");
  Writeln(command);
  ReadLn(reply);
  if (!reply.empty()) ReportStatus(kStatusReply, reply);
}

void TLineSocket::ClearInput() {
  ReportStatus(kStatusTrace, "Clearing Input");
  socket_->Recv(lineBuffer_.get(), detail::kMaxReceive, false);
}

bool TLineSocket::DataAvailable() {
  ReportStatus(kStatusTrace, "Data Available");
  return socket_->Recv(lineBuffer_.get(), 1, true) > 0;
}

}  // namespace net
