#include "platform/core/TlsLayer.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <signal.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "platform/core/Exception.h"
#include "platform/core/Files.h"
#include "platform/core/SocketErrors.h"

namespace platform {

namespace {

// OpenSSL writes to the socket with write(), which raises SIGPIPE when the
// peer has gone (a connection cut under the handshake), and SIGPIPE's
// default ends the program. Ignored once, unless the program set its own.
void IgnoreBrokenPipes() {
  static const bool done = [] {
    struct sigaction current {};
    if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) ::signal(SIGPIPE, SIG_IGN);
    return true;
  }();
  (void)done;
}

// A literal IPv4 or IPv6 address: checked against the certificate's IP
// entries, and never sent as SNI.
bool IsLiteralAddress(const std::string& host) {
  unsigned char bytes[16];
  return ::inet_pton(AF_INET, host.c_str(), bytes) == 1 || ::inet_pton(AF_INET6, host.c_str(), bytes) == 1;
}

std::string LastOpenSslError(const char* what) {
  const unsigned long code = ERR_get_error();
  ERR_clear_error();
  if (code == 0) return what;
  char text[256];
  ERR_error_string_n(code, text, sizeof text);
  return std::string(what) + " (" + text + ")";
}

std::string Sha256Fingerprint(X509* certificate) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (X509_digest(certificate, EVP_sha256(), digest, &length) != 1) return std::string();
  static const char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    if (i > 0) text += ':';
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 15];
  }
  return text;
}

// Hex digits only, upper case: "ab:cd" and "ABCD" name the same fingerprint.
std::string NormalisedFingerprint(const std::string& text) {
  std::string digits;
  for (char c : text) {
    if (std::isxdigit(static_cast<unsigned char>(c))) digits += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return digits;
}

// The verification result in words a user can act on.
std::string ProblemText(long result, const std::string& host) {
  switch (result) {
    case X509_V_ERR_CERT_HAS_EXPIRED:
      return "the server's certificate has expired";
    case X509_V_ERR_CERT_NOT_YET_VALID:
      return "the server's certificate is not valid yet (check the computer's clock)";
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
      return "the server's certificate was issued for another name, not for " + host;
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
      return "the server's certificate is self-signed";
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_CERT_UNTRUSTED:
      return "the server's certificate was issued by an authority that is not trusted";
    case X509_V_ERR_EE_KEY_TOO_SMALL:
    case X509_V_ERR_CA_KEY_TOO_SMALL:
    case X509_V_ERR_CA_MD_TOO_WEAK:
      return "the server's certificate uses a key or signature too weak to be trusted";
    case X509_V_ERR_CERT_REVOKED:
      return "the server's certificate has been revoked";
    default:
      return std::string("the server's certificate cannot be verified: ") +
             X509_verify_cert_error_string(result);
  }
}

// A bundle of every CA a system trusts is about 200 KB.
constexpr std::size_t kMaxCaFileBytes = 8 * 1024 * 1024;

// Adds the certificates (and revocation lists) of the PEM file caFile to the
// context's trust store, as SSL_CTX_load_verify_locations would. The file is
// read here rather than by OpenSSL, whose fopen would wait for ever on a
// named pipe: only a regular file of bounded size is read. False with the
// reason in error when the file cannot be used.
bool LoadCaFile(SSL_CTX* context, const std::string& caFile, std::string& error) {
  std::string pem;
  try {
    pem = ReadRegularFile(caFile, kMaxCaFileBytes, "the CA file");
  } catch (const EFileError& failure) {
    error = failure.Message();
    return false;
  }
  BIO* input = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
  STACK_OF(X509_INFO)* items = input != nullptr ? PEM_X509_INFO_read_bio(input, nullptr, nullptr, nullptr) : nullptr;
  BIO_free(input);
  const std::string named = "The CA file \"" + caFile + "\"";
  if (items == nullptr) {
    error = LastOpenSslError((named + " cannot be read as PEM certificates").c_str());
    return false;
  }
  X509_STORE* store = SSL_CTX_get_cert_store(context);
  int certificates = 0;
  bool added = true;
  for (int i = 0; i < sk_X509_INFO_num(items); ++i) {
    X509_INFO* item = sk_X509_INFO_value(items, i);
    if (item->x509 != nullptr) {
      ++certificates;
      added = added && X509_STORE_add_cert(store, item->x509) == 1;
    }
    if (item->crl != nullptr) added = added && X509_STORE_add_crl(store, item->crl) == 1;
  }
  sk_X509_INFO_pop_free(items, X509_INFO_free);
  if (!added) error = LastOpenSslError((named + " cannot be added to the trusted certificates").c_str());
  else if (certificates == 0) error = named + " holds no PEM certificate";
  ERR_clear_error();
  return added && certificates > 0;
}

}  // namespace

struct TlsLayer::Handles {
  SSL_CTX* context = nullptr;
  SSL* session = nullptr;
  ~Handles() {
    if (session != nullptr) SSL_free(session);
    if (context != nullptr) SSL_CTX_free(context);
  }
};

TlsLayer::TlsLayer() : handles_(std::make_unique<Handles>()) {}

TlsLayer::~TlsLayer() = default;

bool TlsLayer::Start(int fd, const TlsOptions& options) {
  options_ = options;
  ERR_clear_error();
  SSL_CTX* context = SSL_CTX_new(TLS_client_method());
  if (context == nullptr) {
    error_ = LastOpenSslError("TLS cannot be set up");
    return false;
  }
  handles_->context = context;
  SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
  // The chain is judged after the handshake (JudgePeer), so that a pinned
  // certificate can stand in for it and the failure can be told in words;
  // nothing is sent on the session before that judgement.
  SSL_CTX_set_verify(context, SSL_VERIFY_NONE, nullptr);
  SSL_CTX_set_mode(context, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
  if (SSL_CTX_set_default_verify_paths(context) != 1) ERR_clear_error();
  if (!options.caFile.empty() && !LoadCaFile(context, options.caFile, error_)) return false;
  IgnoreBrokenPipes();
  SSL* session = SSL_new(context);
  if (session == nullptr || SSL_set_fd(session, fd) != 1) {
    if (session != nullptr) SSL_free(session);
    error_ = LastOpenSslError("TLS cannot be set up");
    return false;
  }
  handles_->session = session;
  X509_VERIFY_PARAM* check = SSL_get0_param(session);
  if (IsLiteralAddress(options.hostName)) {
    X509_VERIFY_PARAM_set1_ip_asc(check, options.hostName.c_str());
  } else {
    X509_VERIFY_PARAM_set_hostflags(check, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    X509_VERIFY_PARAM_set1_host(check, options.hostName.c_str(), 0);
    SSL_set_tlsext_host_name(session, options.hostName.c_str());
  }
  SSL_set_connect_state(session);
  return true;
}

long TlsLayer::Judge(int result, int& errorNumber) {
  want_ = Want::Nothing;
  if (result > 0) return result;
  const int kind = SSL_get_error(handles_->session, result);
  const int savedErrno = errno;
  switch (kind) {
    case SSL_ERROR_WANT_READ:
      want_ = Want::Read;
      errorNumber = kSockEWOULDBLOCK;
      return -1;
    case SSL_ERROR_WANT_WRITE:
      want_ = Want::Write;
      errorNumber = kSockEWOULDBLOCK;
      return -1;
    case SSL_ERROR_ZERO_RETURN:
      return 0;  // the peer's close alert
    case SSL_ERROR_SYSCALL:
      ERR_clear_error();
      if (savedErrno == 0) return 0;  // closed without the alert
      errorNumber = SocketErrorFromErrno(savedErrno);
      return -1;
    default: {
      const unsigned long code = ERR_peek_error();
      ERR_clear_error();
      // OpenSSL 3 reports a close without the alert this way.
      if (ERR_GET_REASON(code) == SSL_R_UNEXPECTED_EOF_WHILE_READING) return 0;
      errorNumber = kSockECONNABORTED;
      return -1;
    }
  }
}

TlsStep TlsLayer::Handshake() {
  ERR_clear_error();
  errno = 0;
  const int result = SSL_do_handshake(handles_->session);
  if (result == 1) {
    JudgePeer();
    return TlsStep::Done;
  }
  const int kind = SSL_get_error(handles_->session, result);
  if (kind == SSL_ERROR_WANT_READ) return want_ = Want::Read, TlsStep::WantRead;
  if (kind == SSL_ERROR_WANT_WRITE) return want_ = Want::Write, TlsStep::WantWrite;
  want_ = Want::Nothing;
  const int savedErrno = errno;
  // OpenSSL 3 reports a close without the alert as an unexpected end of
  // file, older versions as a system call error without an error number.
  const bool closed = (kind == SSL_ERROR_SYSCALL && ERR_peek_error() == 0 && savedErrno == 0) ||
                      (kind == SSL_ERROR_SSL && ERR_GET_REASON(ERR_peek_error()) == SSL_R_UNEXPECTED_EOF_WHILE_READING);
  const bool reset = kind == SSL_ERROR_SYSCALL && ERR_peek_error() == 0 && savedErrno != 0;
  if (closed) {
    error_ = "the server closed the connection during the TLS handshake";
  } else if (reset) {
    error_ = "the TLS handshake failed: " + std::string(std::strerror(savedErrno));
  } else {
    error_ = LastOpenSslError("the TLS handshake failed");
  }
  ERR_clear_error();
  return closed || reset ? TlsStep::Cut : TlsStep::Failed;
}

void TlsLayer::JudgePeer() {
  peer_ = TlsPeer();
  peer_.version = SSL_get_version(handles_->session);
  X509* certificate = SSL_get1_peer_certificate(handles_->session);
  if (certificate == nullptr) {
    peer_.problem = "the server sent no certificate";
    return;
  }
  peer_.fingerprint = Sha256Fingerprint(certificate);
  X509_free(certificate);
  if (!options_.pinnedSha256.empty()) {
    if (NormalisedFingerprint(options_.pinnedSha256) != NormalisedFingerprint(peer_.fingerprint)) {
      peer_.problem = "the server's certificate is not the one whose fingerprint is pinned (TLSFingerprint)";
    }
    return;
  }
  const long result = SSL_get_verify_result(handles_->session);
  if (result != X509_V_OK) peer_.problem = ProblemText(result, options_.hostName);
}

long TlsLayer::Read(char* buffer, std::size_t length, bool peek, int& errorNumber) {
  ERR_clear_error();
  errno = 0;
  const int asked = static_cast<int>(std::min<std::size_t>(length, 1 << 30));
  const int result = peek ? SSL_peek(handles_->session, buffer, asked) : SSL_read(handles_->session, buffer, asked);
  return Judge(result, errorNumber);
}

long TlsLayer::Write(const char* bytes, std::size_t length, int& errorNumber) {
  if (length == 0) return 0;
  ERR_clear_error();
  errno = 0;
  const int asked = static_cast<int>(std::min<std::size_t>(length, 1 << 30));
  const long result = Judge(SSL_write(handles_->session, bytes, asked), errorNumber);
  if (result == 0) {  // a write cannot see the close alert: the session is gone
    errorNumber = kSockECONNRESET;
    return -1;
  }
  return result;
}

// Plaintext of a record already opened is ready at once. Raw bytes held
// inside count too, except after a read that asked the socket for more: then
// they are only the start of a record, and the wait belongs on the socket.
bool TlsLayer::HasPending() const {
  SSL* session = handles_->session;
  if (session == nullptr) return false;
  return SSL_pending(session) > 0 || (want_ != Want::Read && SSL_has_pending(session) == 1);
}

void TlsLayer::Shutdown() {
  if (handles_->session == nullptr || SSL_is_init_finished(handles_->session) != 1) return;
  ERR_clear_error();
  SSL_shutdown(handles_->session);
  ERR_clear_error();
}

}  // namespace platform
