#include "net/LineSocket.h"
#include "net/WaitSupport.h"
#include "platform/core/EventLoop.h"

namespace net {

void TLineSocket::StartTls() {
  ReportStatus(kStatusTrace, "Starting TLS");
  if (!isConnected_) throw ESockError("Not Connected");
  // A failure closes the connection before it is raised: whatever the
  // server or an attacker in between did, nothing follows in plaintext.
  auto fail = [this](const auto& error) {
    CloseCurrentSocket();
    throw error;
  };
  platform::TlsOptions options;
  options.hostName = Host;
  options.caFile = TlsCAFile;
  options.pinnedSha256 = TlsFingerprint;
  if (!socket_->StartTls(options)) fail(ESockError("TLS cannot start: " + socket_->TlsError()));
  platform::TlsStep step = platform::TlsStep::Failed;
  {
    detail::TimeoutScope timeout(*this);
    for (;;) {
      step = socket_->TlsHandshake();
      if (step == platform::TlsStep::Done || step == platform::TlsStep::Failed || step == platform::TlsStep::Cut) break;
      if (step == platform::TlsStep::WantWrite) {
        socket_->WaitWritable(detail::kWaitSliceMs);
      } else {
        socket_->WaitReadable(detail::kWaitSliceMs);
      }
      if (timedOut_ || cancelRequested_ || !isConnected_) break;
    }
  }
  if (timedOut_) fail(ESockError("TLS Handshake Timed Out"));
  if (cancelRequested_) fail(ESockError("TLS Handshake Canceled"));
  if (!isConnected_) throw ETlsHandshakeCut("The server closed the connection during the TLS handshake");
  if (step == platform::TlsStep::Cut) fail(ETlsHandshakeCut("TLS handshake with " + Host + " cut: " + socket_->TlsError()));
  if (step == platform::TlsStep::Failed) fail(ESockError("TLS handshake with " + Host + " failed: " + socket_->TlsError()));
  const platform::TlsPeer& peer = socket_->TlsPeerInfo();
  if (!peer.problem.empty()) fail(ETlsCertificateError(peer.problem, peer.fingerprint));
  ReportStatus(kStatusReply, "TLS " + peer.version);
}

std::string TLineSocket::TlsVersion() const {
  return socket_ && socket_->TlsActive() ? socket_->TlsPeerInfo().version : std::string();
}

bool TLineSocket::RemoteIsLoopback() const {
  return currentAddress_.IsLoopback();
}

}  // namespace net
