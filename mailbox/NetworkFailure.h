#pragma once

#include <exception>
#include <optional>
#include <string>

namespace mailbox {

// Why a session did not reach the server's log-in, when the cause is the
// network's or a server's passing state rather than anything the user must
// change: such failures pass by themselves, and the automatic check keeps
// trying.
enum class NetworkFailure {
  NoNetwork,       // no route, the network down, no address to send from
  NameNotFound,    // the server's name did not resolve
  Refused,         // the host answered that nothing listens on the port (a server restarting)
  TimedOut,        // no answer in time
  ConnectionLost,  // the connection was closed or reset before the log-in, TLS handshake included
};

// A few words for a hint: "no network", "connection refused", ...
std::string Words(NetworkFailure failure);

// Whether a lack of network may explain the failure, so that a check is
// worth trying again as soon as the network comes back. A refused
// connection had a network.
bool NetworkMayExplain(NetworkFailure failure);

// What kind of network failure ended a log-in that was not done; nothing
// when it is none (a refusal by the server, a missing password, a
// certificate or security verdict). failure: what the client raised;
// timedOut: the client's wait ran out; connectError: the client's
// ConnectError().
std::optional<NetworkFailure> ClassifyLogInFailure(const std::exception& failure, bool timedOut, int connectError);

}  // namespace mailbox
