#include "mailbox/NetworkFailure.h"

#include <string>

#include "net/LineSocket.h"
#include "platform/core/SocketErrors.h"
#include "platform/core/Translate.h"

namespace mailbox {

namespace {

NetworkFailure FromConnectError(int error) {
  switch (error) {
    case platform::kSockENETUNREACH:
    case platform::kSockENETDOWN:
    case platform::kSockEHOSTUNREACH:
    case platform::kSockEHOSTDOWN:
    case platform::kSockEADDRNOTAVAIL:
      return NetworkFailure::NoNetwork;
    case platform::kSockECONNREFUSED:
      return NetworkFailure::Refused;
    case platform::kSockETIMEDOUT:
      return NetworkFailure::TimedOut;
    default:
      return NetworkFailure::ConnectionLost;
  }
}

}  // namespace

std::string Words(NetworkFailure failure) {
  using platform::Tr;
  switch (failure) {
    case NetworkFailure::NoNetwork: return Tr("AutoCheck", "no network");
    case NetworkFailure::NameNotFound: return Tr("AutoCheck", "server name not found");
    case NetworkFailure::Refused: return Tr("AutoCheck", "connection refused");
    case NetworkFailure::TimedOut: return Tr("AutoCheck", "no answer");
    case NetworkFailure::ConnectionLost: break;
  }
  return Tr("AutoCheck", "connection lost");
}

bool NetworkMayExplain(NetworkFailure failure) { return failure != NetworkFailure::Refused; }

// Whatever the transport raised before the log-in is the network's: the
// server's own refusals come as its replies, and a refused certificate has
// become a security verdict by then.
std::optional<NetworkFailure> ClassifyLogInFailure(const std::exception& failure, bool timedOut, int connectError) {
  if (dynamic_cast<const net::ETlsCertificateError*>(&failure)) return std::nullopt;
  const auto* transport = dynamic_cast<const net::ESockError*>(&failure);
  if (transport == nullptr) return std::nullopt;
  // A read cut short is a time-out: a cancel comes only from a window
  // that is closing. timedOut alone may have been reset by the QUIT that
  // followed.
  if (timedOut || dynamic_cast<const net::EAbortError*>(&failure)) return NetworkFailure::TimedOut;
  if (connectError != 0) return FromConnectError(connectError);
  const std::string text = transport->Message();
  if (text == "Null Remote Address" || text == "Host Lookup Failed") return NetworkFailure::NameNotFound;
  return NetworkFailure::ConnectionLost;
}

}  // namespace mailbox
