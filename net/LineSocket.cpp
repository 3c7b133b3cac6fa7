#include "net/LineSocket.h"

#include "net/WaitSupport.h"
#include "platform/core/EventLoop.h"
#include "platform/core/SocketErrors.h"

namespace net {

TLineSocket::TLineSocket(TComponent* owner)
    : TComponent(owner),
      lineBuffer_(std::make_unique<char[]>(kLineBufferSize)),
      lookup_(std::make_unique<platform::HostLookup>()),
      timeoutTimer_(std::make_unique<TThreadTimer>(this)) {
  timeoutTimer_->SetEnabled(false);
  timeoutTimer_->SetOnTimer([this](TComponent* sender) { TimeoutElapsed(sender); });
  InitializeSockets();
}

// Runs the base Abort only (see the class comment).
TLineSocket::~TLineSocket() {
  destroying_ = true;
  try {
    TLineSocket::Abort();
    Cancel();
  } catch (...) {
  }
  timeoutTimer_.reset();
  lookup_.reset();
  shuttingDown_ = true;
  try {
    CloseCurrentSocket();
  } catch (...) {
  }
  socket_.reset();
}

void TLineSocket::InitializeSockets() {
  ReportStatus(kStatusTrace, "Initializing Winsock");
  socket_ = std::make_unique<platform::TcpSocket>(static_cast<platform::SocketEventSink&>(*this));
  // Only the socket made here resets its connection when closed.
  if (!socket_->Open(true)) throw ESockError("Initializaton of windows sockets failed");
  socketResetsOnClose_ = true;
}

void TLineSocket::OpenFreshSocket(bool resetOnClose) {
  // A failure leaves no valid socket; the next operation reports it.
  socketResetsOnClose_ = socket_->Open(resetOnClose) && resetOnClose;
}

void TLineSocket::ReportStatus(std::uint8_t level, const std::string& text) {
  if (level > ReportLevel) return;
  statusText_ = text;
  if (destroying_ || !OnStatus) return;
  try {
    OnStatus(this, std::string(statusText_));
  } catch (...) {
    // A status handler must never break the operation that reports.
  }
}

void TLineSocket::CheckSocketError(int expected) {
  const int error = platform::LastSocketError();
  if (error == expected || error <= 10000) return;
  std::string text;
  LookupErrorMessage(static_cast<std::uint16_t>(error), text);
  throw ESockError(text);
}

void TLineSocket::LookupErrorMessage(std::uint16_t errorNumber, std::string& text) {
  ReportStatus(kStatusTrace, "Looking Up Error Message");
  text = SocketErrorText(errorNumber);
}

void TLineSocket::OnSocketEvent(platform::SocketEventKind kind, int errorCode) { HandleSocketEvent(kind, errorCode); }

void TLineSocket::OnLookupDone(int errorCode, std::uint32_t addressNetOrder) {
  std::vector<platform::IpAddress> addresses;
  if (errorCode == 0) addresses.push_back(platform::IpAddress::FromIPv4(addressNetOrder));
  OnLookupAddresses(errorCode, addresses);
}

void TLineSocket::OnLookupAddresses(int errorCode, const std::vector<platform::IpAddress>& addresses) {
  lastEventOk_ = errorCode == 0 && !addresses.empty();
  lookupAddresses_ = lastEventOk_ ? addresses : std::vector<platform::IpAddress>();
  lookupAddress_ = 0;
  for (const platform::IpAddress& address : lookupAddresses_) {
    if (!address.v6) {
      lookupAddress_ = address.IPv4();
      break;
    }
  }
  lookupDone_ = true;
}

void TLineSocket::HandleSocketEvent(platform::SocketEventKind kind, int errorCode) {
  // Called from the event loop: nothing may unwind into it.
  try {
    lastEventOk_ = errorCode == 0;
    switch (kind) {
      case platform::SocketEventKind::Connect:
        if (errorCode == 0) {
          isConnected_ = true;
          if (OnConnect) OnConnect(this);
        } else {
          connectError_ = errorCode;
        }
        break;
      case platform::SocketEventKind::Close:
        // With bytes still queued the socket stays open, so that they can
        // be read; the reader then sees the close as an empty line.
        if (!DataAvailable()) CloseCurrentSocket();
        break;
      case platform::SocketEventKind::Accept:
        isConnected_ = true;
        acceptPending_ = true;
        break;
      case platform::SocketEventKind::Read:
      case platform::SocketEventKind::OutOfBand:
        break;
    }
  } catch (...) {
  }
}

void TLineSocket::WaitUntil(const std::function<bool()>& done) {
  platform::PumpEvents();
  while (!done()) platform::WaitForEvents(detail::kWaitSliceMs);
}

void TLineSocket::Cancel() {
  ReportStatus(kStatusTrace, "Canceling");
  cancelRequested_ = true;
}

void TLineSocket::Abort() {
  ReportStatus(kStatusTrace, "Abort");
  Cancel();
}

void TLineSocket::CheckConnection() {
  ReportStatus(kStatusTrace, "Checking Connection");
  for (int pass = 1; !isConnected_; ++pass) {
    if (pass > 1 || !OnConnectionRequired) throw Exception("Not Connected");
    bool handled = false;
    OnConnectionRequired(handled);
    if (!handled) throw Exception("Not Connected");
  }
}

void TLineSocket::Disconnect() {
  ReportStatus(kStatusTrace, "Disconnecting");
  CloseCurrentSocket();
}

void TLineSocket::CloseCurrentSocket() {
  ReportStatus(kStatusSocket, "Request Close Socket");
  isConnected_ = false;
  if (!socket_ || !socket_->IsValid()) return;
  if (!socket_->Close()) {
    // The descriptor is gone all the same: keep the component usable.
    if (!shuttingDown_) OpenFreshSocket(false);
    CheckSocketError(platform::kSockEWOULDBLOCK);
    return;
  }
  // Later sockets close gracefully. The fresh socket is made even when the
  // OnDisconnect handler raises, so the component stays ready to connect.
  try {
    if (!destroying_ && OnDisconnect) OnDisconnect(this);
  } catch (...) {
    if (!shuttingDown_) OpenFreshSocket(false);
    throw;
  }
  if (!shuttingDown_) OpenFreshSocket(false);
}

}  // namespace net
