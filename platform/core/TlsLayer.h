#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/core/Tls.h"

// OpenSSL for the sockets of this folder only; no other folder sees it.
namespace platform {

// One TLS client session over a connected non-blocking descriptor. Reads
// and writes never block: they report what the session waits for instead.
class TlsLayer {
 public:
  enum class Want { Nothing, Read, Write };

  TlsLayer();
  ~TlsLayer();
  TlsLayer(const TlsLayer&) = delete;
  TlsLayer& operator=(const TlsLayer&) = delete;

  // Sets the session up over fd; false (with error()) when OpenSSL refuses
  // the options or the CA file cannot be used (missing, no regular file,
  // larger than 8 MB, no PEM certificate in it), error() naming the file
  // and what is wrong with it.
  bool Start(int fd, const TlsOptions& options);
  // One step of the handshake. After Done the server's certificate has been
  // judged: peer().problem tells whether it may be trusted.
  TlsStep Handshake();
  // As recv/send: bytes moved, 0 when the peer closed the session (read
  // only), -1 with the socket error number in errorNumber (would-block
  // while the session waits for the socket; want() tells which way).
  long Read(char* buffer, std::size_t length, bool peek, int& errorNumber);
  long Write(const char* bytes, std::size_t length, int& errorNumber);
  // Decrypted or undecrypted bytes held inside the session: a wait must not
  // block on the socket while this holds.
  bool HasPending() const;
  Want want() const { return want_; }
  // Sends the close alert once, without waiting for the peer's.
  void Shutdown();

  const TlsPeer& peer() const { return peer_; }
  const std::string& error() const { return error_; }

 private:
  struct Handles;
  // Sorts the result of an OpenSSL call into want_, the error number and
  // "closed".
  long Judge(int result, int& errorNumber);
  void JudgePeer();

  std::unique_ptr<Handles> handles_;
  TlsOptions options_;
  TlsPeer peer_;
  std::string error_;
  Want want_ = Want::Nothing;
};

}  // namespace platform
