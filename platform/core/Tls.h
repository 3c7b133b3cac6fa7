#pragma once

#include <string>

namespace platform {

// What a TLS client session checks of the server. Certificates are verified
// against the system's trust store (and caFile when given); the server's
// name, or its literal address, must be one the certificate was issued for;
// TLS 1.2 at least. There is deliberately no way to accept any certificate.
struct TlsOptions {
  // The name the user typed (sent as SNI unless it is a literal address).
  std::string hostName;
  // An extra file of trusted CA certificates (PEM); empty for none. It is
  // read only when it is a regular file, never waited on.
  std::string caFile;
  // A SHA-256 fingerprint (hex, colons and case ignored) that is accepted
  // in place of the chain check; any other certificate is refused.
  std::string pinnedSha256;
};

// The outcome of one step of a TLS handshake. Cut: the connection ended
// under it (closed without a word of TLS, or reset), which says nothing of
// the server's TLS; Failed: the negotiation itself failed.
enum class TlsStep { Done, WantRead, WantWrite, Failed, Cut };

// What a finished (or failed) handshake found.
struct TlsPeer {
  // Empty when the server's certificate is acceptable; otherwise why not,
  // in words ("the server's certificate has expired").
  std::string problem;
  // SHA-256 fingerprint of the server's certificate, "AB:CD:..."; empty when
  // the server sent none.
  std::string fingerprint;
  // "TLSv1.3" and the like, once the handshake is done.
  std::string version;
};

}  // namespace platform
