#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace testsupport {

// The POP3 servers that scripts/pop3-server.sh runs for tests.
enum class ServerKind { Dovecot, Courier };

// "Dovecot" or "Courier": test-name suffix and printed parameter.
std::string ServerKindName(ServerKind kind);
inline void PrintTo(ServerKind kind, std::ostream* out) { *out << ServerKindName(kind); }
// Name generator for INSTANTIATE_TEST_SUITE_P.
inline std::string ServerParamName(const ::testing::TestParamInfo<ServerKind>& info) {
  return ServerKindName(info.param);
}

// What a server writes to its log, for tests that check how a session ended.
struct ServerLogMarks {
  const char* login;                 // a user logged in
  const char* loggedOut;             // a logged-in user signed off with QUIT
  const char* quitAfterAuthFailure;  // QUIT after a refused log-in
};

// A private server instance that scripts/pop3-server.sh runs, found through
// an environment variable: POP3CHECK_TEST_SERVER_DIR names the Dovecot one,
// POP3CHECK_TEST_COURIER_DIR the Courier one. The folder holds "address",
// "port", "users" (name, password and Maildir per line), "server" (dovecot
// or courier; dovecot when absent) and log/<server>.log.
class Pop3TestServer {
 public:
  static constexpr const char* kDirVariable = "POP3CHECK_TEST_SERVER_DIR";
  static constexpr const char* kCourierDirVariable = "POP3CHECK_TEST_COURIER_DIR";
  // The Dovecot instance started with --tls (STLS on Port, implicit TLS on
  // TlsPort, test certificates under Dir/tls).
  static constexpr const char* kTlsDirVariable = "POP3CHECK_TEST_TLS_SERVER_DIR";

  // The variable that names the instance of kind.
  static const char* DirVariable(ServerKind kind);

  // The server named by the environment variable, or nothing when it is
  // unset. Throws std::runtime_error when it is set but the folder is not a
  // started instance (a broken setup must fail, not skip).
  static std::optional<Pop3TestServer> FromEnvironment(const char* variable = kDirVariable);

  explicit Pop3TestServer(std::string dir);

  const std::string& Dir() const { return dir_; }
  ServerKind Kind() const { return kind_; }
  const std::string& Address() const { return address_; }
  int Port() const { return port_; }
  // The implicit-TLS port; 0 when the instance runs without TLS.
  int TlsPort() const { return tlsPort_; }
  // The test CA that signed the instance's certificates.
  std::string CaFile() const { return dir_ + "/tls/ca.pem"; }
  // A certificate file of the instance: "server", "selfsigned", ...
  std::string CertificateFile(const std::string& name) const { return dir_ + "/tls/" + name + ".pem"; }
  // The loopback address on which the implicit-TLS port shows the
  // certificate with the named fault ("expired", "wronghost", ...).
  std::string FaultAddress(const std::string& fault) const;
  std::string LogPath() const;
  const ServerLogMarks& LogMarks() const;

  struct User {
    std::string name;
    std::string password;
    std::string maildir;
  };
  const std::vector<User>& Users() const { return users_; }

  // Current size of the server's log; pass it to LogSince to read what was
  // written after this point.
  std::uintmax_t LogSize() const;
  std::string LogSince(std::uintmax_t offset) const;

 private:
  std::string dir_;
  ServerKind kind_ = ServerKind::Dovecot;
  std::string address_;
  int port_ = 0;
  int tlsPort_ = 0;
  std::vector<User> users_;
};

// One test user's mailbox, held for this process alone: the claim is a lock
// on a file in the server folder, dropped when the object goes or the process
// ends, so test programs running side by side never share a mailbox.
class Mailbox {
 public:
  // Claims the first free user; blocks on user01 when every user is taken.
  explicit Mailbox(const Pop3TestServer& server);
  ~Mailbox();
  Mailbox(const Mailbox&) = delete;
  Mailbox& operator=(const Mailbox&) = delete;

  const std::string& User() const { return user_.name; }
  const std::string& Password() const { return user_.password; }

  // Deletes every message file (the servers' own index files stay).
  void Reset();
  // Adds one message; line ends may be LF or CR LF (POP3 sends CR LF).
  // Messages are listed in the order they were added (within 10^6 messages
  // of one process). Returns the size that LIST reports for it.
  std::int64_t AddMessage(const std::string& text);
  int Count() const;
  // Dovecot only: gives the messages that it has already seen in a session,
  // in their order, the POP3 unique ids given (no blanks), as a mailbox
  // moved from another server keeps its ids: Dovecot then answers UIDL with
  // these rather than ids of its own. Repeated ids are allowed, as servers
  // that derive ids from a message's bytes repeat them.
  void SetUniqueIds(const std::vector<std::string>& ids);
  // Lines of the server's log about this user written since offset: lines
  // naming the user, and (Courier) lines of the same connection, which
  // Courier tells by the client's port.
  std::vector<std::string> LogLinesSince(std::uintmax_t offset) const;
  // Polls the log (bounded by timeoutMs) until a line about this user written
  // since offset contains text. The servers log from processes of their own,
  // so a line may appear a moment after the session ended.
  bool WaitForLog(std::uintmax_t offset, const std::string& text, int timeoutMs = 10000) const;

 private:
  const Pop3TestServer& server_;
  Pop3TestServer::User user_;
  int lockFd_ = -1;
};

// Base of tests that talk to Dovecot: skips when the environment names no
// server, otherwise claims a mailbox and empties it.
class DovecotTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::optional<Pop3TestServer> server_;
  std::optional<Mailbox> mailbox_;
};

// Base of tests that talk to the TLS Dovecot: skips when the environment
// names none, otherwise claims a mailbox and empties it.
class TlsDovecotTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::optional<Pop3TestServer> server_;
  std::optional<Mailbox> mailbox_;
};

// Base of tests run against every server kind (the parameter): skips a kind
// whose variable the environment does not set, otherwise claims a mailbox of
// that server and empties it.
class ServerTest : public ::testing::TestWithParam<ServerKind> {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::optional<Pop3TestServer> server_;
  std::optional<Mailbox> mailbox_;
};

}  // namespace testsupport
