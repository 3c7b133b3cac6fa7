#include "net/LineSocket.h"
#include "net/WaitSupport.h"
#include "platform/core/EventLoop.h"
#include "platform/core/SocketErrors.h"

namespace net {

namespace {

// Accepted sockets report here until their owner chooses a sink: they must
// not report to this component, which they may outlive.
class DiscardingSink : public platform::SocketEventSink {
 public:
  void OnSocketEvent(platform::SocketEventKind, int) override {}
  void OnLookupDone(int, std::uint32_t) override {}
};

DiscardingSink& Discarding() {
  static DiscardingSink sink;
  return sink;
}

}  // namespace

void TLineSocket::ResolveHost() {
  ReportStatus(kStatusTrace, "Resolve Host");
  // The name ends at its first zero byte, as a zero-terminated copy would.
  const std::string name(Host.c_str());
  platform::IpAddress literal;
  if (platform::IpAddress::Parse(name, literal)) {
    addresses_ = {literal};
    remoteAddress_ = literal.IPv4();
    return;
  }
  remoteAddress_ = 0;
  addresses_.clear();
  {
    detail::TimeoutScope timeout(*this);
    lookupDone_ = false;
    lookup_->Start(name, *this);
    WaitUntil([this] { return lookupDone_ || timedOut_ || cancelRequested_; });
  }
  if (timedOut_ || cancelRequested_) {
    lookup_->Cancel();
    throw ESockError(timedOut_ ? "Host Lookup Timed Out" : "Host Lookup Canceled");
  }
  if (!lastEventOk_) throw ESockError("Host Lookup Failed");
  remoteAddress_ = lookupAddress_;
  addresses_ = lookupAddresses_;
  if (OnHostResolved) OnHostResolved(this);
}

void TLineSocket::ResolveWithRetry() {
  for (int tries = 0;; ++tries) {
    try {
      ResolveHost();
    } catch (const ESockError& error) {
      const std::string text = error.Message();
      if (text == "Host Lookup Timed Out" || text == "Host Lookup Canceled") throw;
      remoteAddress_ = 0;  // a failed look-up: treated as no address
      addresses_.clear();
    }
    // 0.0.0.0 counts as no address, as it always has.
    if (!addresses_.empty() && !(addresses_.size() == 1 && !addresses_[0].v6 && remoteAddress_ == 0)) return;
    if (tries > 0 || !OnInvalidHost) throw ESockError("Null Remote Address");
    bool handled = false;
    OnInvalidHost(handled);  // may correct Host and ask for one more try
    if (!handled) throw ESockError("Null Remote Address");
  }
}

void TLineSocket::Connect() {
  ReportStatus(kStatusTrace, "Connecting");
  cancelRequested_ = false;
  if (isConnected_) throw ESockError("Already connected");
  // A deadline left by the last command of an earlier session would cut
  // this connection's waits short once it has passed.
  ClearCommandDeadline();
  connectError_ = 0;
  ResolveWithRetry();
  remotePort_ = static_cast<std::uint16_t>(Port & 0xFFFF);
  std::size_t tried = 0;
  {
    // One time-out for all the addresses together.
    detail::TimeoutScope timeout(*this);
    for (const platform::IpAddress& address : addresses_) {
      ++tried;
      connectError_ = 0;
      try {
        if (TryAddress(address)) return;
      } catch (const ESockError&) {
        // The connect call itself failed (no IPv6 route, say): the next
        // address may still answer; the last one's failure is the answer.
        if (tried == addresses_.size()) throw;
        continue;
      }
      if (timedOut_ || cancelRequested_) break;
    }
  }
  if (timedOut_ || cancelRequested_) connectError_ = 0;
  if (OnConnectionFailed) OnConnectionFailed(this);
  if (timedOut_) throw ESockError("Connection Timed out");
  if (cancelRequested_) throw ESockError("Connection Canceled");
  if (tried > 1) throw ESockError("Connection Failed: no address of " + Host + " answered");
  throw ESockError("Connection Failed");
}

bool TLineSocket::TryAddress(const platform::IpAddress& address) {
  currentAddress_ = address;
  remoteAddress_ = address.IPv4();
  lookupDone_ = false;
  lastEventOk_ = true;
  if (!socket_->IsValid()) OpenFreshSocket(false);  // an earlier replacement failed
  if (socket_->Connect(address, remotePort_) != 0) {
    try {
      CheckSocketError(platform::kSockEWOULDBLOCK);
    } catch (...) {
      connectError_ = platform::LastSocketError();
      AbandonConnectAttempt();
      throw;
    }
  }
  WaitUntil([this] { return isConnected_ || timedOut_ || cancelRequested_ || !lastEventOk_; });
  if (!timedOut_ && !cancelRequested_ && lastEventOk_) return true;
  AbandonConnectAttempt();
  return false;
}

// A socket whose connection failed, or is still being attempted, cannot be
// used for another attempt on Linux, and a late success must not connect a
// component that has reported failure: the attempt is dropped with its
// socket. A connection that did come up is closed as any other.
void TLineSocket::AbandonConnectAttempt() {
  if (isConnected_) {
    CloseCurrentSocket();
    return;
  }
  OpenFreshSocket(socketResetsOnClose_);
}

std::unique_ptr<platform::TcpSocket> TLineSocket::Accept() {
  ReportStatus(kStatusSocket, "Accepting");
  if (!lookupDone_ && !acceptPending_ && !cancelRequested_) {
    WaitUntil([this] { return lookupDone_ || acceptPending_ || cancelRequested_; });
  }
  if (cancelRequested_) throw ESockError("Accepting Canceled");
  if (!lastEventOk_) throw ESockError("Error creating Data Connection");
  acceptPending_ = false;
  std::uint32_t peerAddress = 0;
  std::uint16_t peerPort = 0;
  std::unique_ptr<platform::TcpSocket> accepted = socket_->Accept(Discarding(), peerAddress, peerPort);
  if (!accepted) {
    CheckSocketError(platform::kSockEWOULDBLOCK);
    return nullptr;  // nothing was pending after all
  }
  remoteAddress_ = peerAddress;
  remotePort_ = peerPort;
  if (cancelRequested_) {
    cancelRequested_ = false;
    throw EAbortError("Socket send aborted");
  }
  return accepted;
}

void TLineSocket::Listen(std::uint32_t addressNetOrder, std::uint16_t port) {
  if (!socket_->Listen(addressNetOrder, port, 5)) CheckSocketError(platform::kSockEWOULDBLOCK);
}

std::uint16_t TLineSocket::LocalPort() const { return socket_->LocalPort(); }

}  // namespace net
