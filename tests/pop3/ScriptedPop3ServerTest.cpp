// The scripted POP3 server that the conversation tests rely on: it must
// catch what it is there to catch (a command ahead of its turn, a wrong
// line, a line after the end, a connection nobody expects), and, running on
// the test's own thread, it must never hold that thread: a WAIT lets the
// event loop go on, and destruction closes everything at once.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QTimer>
#include <cerrno>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/ScriptedPop3Server.h"
#include "tests/support/Wait.h"

namespace pop3test {
namespace {

using testsupport::PumpUntil;
using testsupport::ScriptedPop3Server;
using Lines = std::vector<std::string>;

// A client that never blocks: it only looks at what has arrived, and every
// wait for the server is a PumpUntil, which lets the server act.
class RawClient {
 public:
  explicit RawClient(std::uint16_t port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 && errno != EINPROGRESS)
      throw std::runtime_error("connect failed");
    if (!PumpUntil([this] { return Ready(POLLOUT); })) throw std::runtime_error("connect did not complete");
  }
  ~RawClient() { Close(); }
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  void Write(const std::string& bytes) {
    ASSERT_EQ(::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
  }

  // Takes what has arrived by now; returns the size of that piece.
  std::size_t TakeArrived() {
    char buffer[4096];
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n == 0) closed_ = true;
    if (n <= 0) return 0;
    input_.append(buffer, static_cast<std::size_t>(n));
    return static_cast<std::size_t>(n);
  }

  // The next line with its CR LF, "" when the server closed before one came.
  std::string ReadLine() {
    PumpUntil([this] {
      TakeArrived();
      return closed_ || input_.find('\n') != std::string::npos;
    });
    const std::size_t end = input_.find('\n');
    if (end == std::string::npos) return "";
    std::string line = input_.substr(0, end + 1);
    input_.erase(0, end + 1);
    return line;
  }

  // Whether the server closed the connection, with nothing more sent.
  bool ServerClosed() {
    return PumpUntil([this] {
      TakeArrived();
      return closed_;
    }) && input_.empty();
  }

  bool closed() const { return closed_; }
  const std::string& input() const { return input_; }

 private:
  bool Ready(short events) const {
    pollfd entry{fd_, events, 0};
    return ::poll(&entry, 1, 0) > 0;
  }

  int fd_ = -1;
  std::string input_;
  bool closed_ = false;
};

// Pumps events until a timer of ms milliseconds has fired.
void LetTimePass(int ms) {
  bool fired = false;
  QTimer::singleShot(ms, [&] { fired = true; });
  ASSERT_TRUE(PumpUntil([&] { return fired; }));
}

constexpr const char* kLogIn = "S: +OK ready\nC: USER bob\nIDLE\nS: +OK\nC: PASS secret\nS: +OK in\n";

// How the client writes USER and PASS against kLogIn.
struct IdleCase {
  const char* name;
  bool passAfterAnswer;  // PASS waits for the answer to USER
  bool passInSameWrite;  // otherwise a write of its own, at once
};

void PrintTo(const IdleCase& row, std::ostream* out) { *out << row.name; }

class ScriptedPop3ServerIdle : public ::testing::TestWithParam<IdleCase> {
 protected:
  ScriptedPop3Server server_;
};

TEST_P(ScriptedPop3ServerIdle, CatchesACommandSentAheadOfItsTurn) {
  const IdleCase& row = GetParam();
  server_.AddConversation(kLogIn);
  RawClient client(server_.Port());
  ASSERT_EQ(client.ReadLine(), "+OK ready\r\n");
  if (row.passAfterAnswer) {
    client.Write("USER bob\r\n");
    EXPECT_EQ(client.ReadLine(), "+OK\r\n");
    client.Write("PASS secret\r\n");
    EXPECT_EQ(client.ReadLine(), "+OK in\r\n");
    client.Close();
    EXPECT_TRUE(server_.WaitUntilDone());
    EXPECT_EQ(server_.Failures(), Lines{});
    EXPECT_EQ(server_.Received(), (Lines{"USER bob", "PASS secret"}));
    return;
  }
  if (row.passInSameWrite) {
    client.Write("USER bob\r\nPASS secret\r\n");
  } else {
    client.Write("USER bob\r\n");
    client.Write("PASS secret\r\n");
  }
  EXPECT_TRUE(client.ServerClosed()) << "answered: " << client.input();
  EXPECT_EQ(server_.Failures(), Lines{"the client sent more before the answers to its commands: 'PASS secret\r\n'"});
  EXPECT_EQ(server_.Received(), Lines{"USER bob"});
  EXPECT_EQ(server_.ConnectionsServed(), 1);
}

INSTANTIATE_TEST_SUITE_P(Writes, ScriptedPop3ServerIdle,
                         ::testing::Values(IdleCase{"InTurn", true, false}, IdleCase{"InOneWrite", false, true},
                                           IdleCase{"InTwoWritesAtOnce", false, false}),
                         [](const ::testing::TestParamInfo<IdleCase>& info) { return info.param.name; });

class ScriptedPop3ServerRun : public ::testing::Test {
 protected:
  ScriptedPop3Server server_;
};

TEST_F(ScriptedPop3ServerRun, WrongLineIsRecordedAndEndsTheConnection) {
  server_.AddConversation("S: +OK ready\nC: USER bob\nS: +OK\n");
  RawClient client(server_.Port());
  ASSERT_EQ(client.ReadLine(), "+OK ready\r\n");
  client.Write("USER eve\r\n");
  EXPECT_TRUE(client.ServerClosed());
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_EQ(server_.Failures(), Lines{"expected 'USER bob', received 'USER eve'"});
  EXPECT_EQ(server_.Received(), Lines{"USER eve"});
}

TEST_F(ScriptedPop3ServerRun, LineAfterTheEndIsRecordedAndEndsTheConnection) {
  server_.AddConversation("S: +OK ready\nC: TOP*\n");
  RawClient client(server_.Port());
  ASSERT_EQ(client.ReadLine(), "+OK ready\r\n");
  client.Write("TOP 1 0\r\nNOOP\r\n");
  EXPECT_TRUE(client.ServerClosed());
  EXPECT_EQ(server_.Failures(), Lines{"received 'NOOP' after the end of the script"});
  EXPECT_EQ(server_.Received(), (Lines{"TOP 1 0", "NOOP"}));
}

TEST_F(ScriptedPop3ServerRun, ConnectionWithNothingQueuedIsClosedAndRecorded) {
  server_.AddConversation("S: +OK one\n");
  RawClient first(server_.Port());
  RawClient second(server_.Port());  // waits until the first has ended
  EXPECT_EQ(first.ReadLine(), "+OK one\r\n");
  first.Close();
  EXPECT_TRUE(second.ServerClosed());
  EXPECT_EQ(server_.Failures(), Lines{"a connection arrived with no conversation queued"});
  EXPECT_EQ(server_.ConnectionsServed(), 1);
}

TEST_F(ScriptedPop3ServerRun, ConnectionsTakeTheConversationsInTurn) {
  server_.AddConversation("S: +OK one\n");
  server_.AddConversation("S: +OK two\nCLOSE\nS: never sent\n");
  RawClient first(server_.Port());
  EXPECT_EQ(first.ReadLine(), "+OK one\r\n");
  first.Close();
  RawClient second(server_.Port());
  EXPECT_EQ(second.ReadLine(), "+OK two\r\n");
  EXPECT_TRUE(second.ServerClosed());
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_EQ(server_.ConnectionsServed(), 2);
  EXPECT_EQ(server_.Failures(), Lines{});
}

TEST_F(ScriptedPop3ServerRun, BytewiseLineArrivesOneByteAtATime) {
  server_.AddConversation("S1: +OK\n");
  RawClient client(server_.Port());
  std::vector<std::size_t> pieces;
  ASSERT_TRUE(PumpUntil([&] {
    if (const std::size_t piece = client.TakeArrived()) pieces.push_back(piece);
    return client.input() == "+OK\r\n";
  }));
  EXPECT_EQ(pieces, (std::vector<std::size_t>(5, 1)));
}

// The server is still inside its WAIT when the test's own timer fires, and
// the later line has not come: the wait held nothing but the script.
TEST_F(ScriptedPop3ServerRun, WaitLetsTheEventLoopGoOn) {
  server_.AddConversation("S: +OK ready\nWAIT 60000\nS: +OK late\n");
  RawClient client(server_.Port());
  ASSERT_EQ(client.ReadLine(), "+OK ready\r\n");
  LetTimePass(100);
  client.TakeArrived();
  EXPECT_EQ(client.input(), "");
  EXPECT_FALSE(client.closed());
}

TEST_F(ScriptedPop3ServerRun, StallRecordsWhatComesUntilTheClientCloses) {
  server_.AddConversation("S: +OK ready\nSTALL\nS: never sent\n");
  RawClient client(server_.Port());
  ASSERT_EQ(client.ReadLine(), "+OK ready\r\n");
  client.Write("NOOP\r\n");
  LetTimePass(100);
  client.TakeArrived();
  EXPECT_EQ(client.input(), "");
  EXPECT_FALSE(client.closed());
  client.Close();
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_EQ(server_.Received(), Lines{"NOOP"});
  EXPECT_EQ(server_.Failures(), Lines{});
  EXPECT_EQ(server_.ConnectionsServed(), 1);
}

TEST(ScriptedPop3ServerEnd, DestructionMidConversationClosesTheConnection) {
  std::unique_ptr<RawClient> client;
  {
    ScriptedPop3Server server;
    server.AddConversation("S: +OK ready\nWAIT 60000\nSTALL\n");
    client = std::make_unique<RawClient>(server.Port());
    ASSERT_EQ(client->ReadLine(), "+OK ready\r\n");
  }
  EXPECT_TRUE(client->ServerClosed());
}

}  // namespace
}  // namespace pop3test
