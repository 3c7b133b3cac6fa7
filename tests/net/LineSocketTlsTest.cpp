// TLineSocket over TLS against tests/support/tls_scripted_server.py, for
// the faults of the TLS layer that a real server does not make: several
// replies in one record (the second is inside OpenSSL while the socket has
// nothing to read), records of one byte, a record that arrives one byte at a
// time, and the close alert in the middle of a multi-line answer. The
// certificate is the TLS test Dovecot's (skipped when none runs).

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/net/LineSocketTestSupport.h"
#include "tests/support/Pop3TestServer.h"

namespace linesockettest {
namespace {

class LineSocketTls : public LineSocketTest {
 protected:
  void SetUp() override {
    LineSocketTest::SetUp();
    const char* dir = std::getenv(testsupport::Pop3TestServer::kTlsDirVariable);
    if (dir == nullptr || *dir == '\0') GTEST_SKIP() << "no TLS test server (for its certificate)";
    tlsDir_ = std::string(dir) + "/tls/";
    scriptFile_ = testing::TempDir() + "tls-script-" + std::to_string(::getpid()) + ".txt";
  }

  void TearDown() override {
    if (socket) socket->Disconnect();
    if (server_ != nullptr) EXPECT_EQ(::pclose(server_), 0) << "the TLS scripted server reported a mismatch";
    std::remove(scriptFile_.c_str());
  }

  // Starts the server on script and connects over TLS to it.
  void ConnectOverTls(const std::string& script) {
    std::ofstream(scriptFile_) << script;
    const std::string command = std::string("python3 ") + TLS_SCRIPTED_SERVER + " " + tlsDir_ + "server.pem " +
                                tlsDir_ + "server.key " + scriptFile_;
    server_ = ::popen(command.c_str(), "r");
    ASSERT_NE(server_, nullptr);
    char portText[32] = {};
    ASSERT_NE(std::fgets(portText, sizeof portText, server_), nullptr);
    socket->TlsCAFile = tlsDir_ + "ca.pem";
    socket->SetTimeOut(3000);
    ConnectTo(static_cast<std::uint16_t>(std::atoi(portText)));
    socket->StartTls();
    ASSERT_FALSE(socket->TlsVersion().empty());
  }

  std::string tlsDir_;
  std::string scriptFile_;
  FILE* server_ = nullptr;
};

TEST_F(LineSocketTls, ASecondReplyHeldInsideTheTlsLayerIsReadWithoutWaitingForTheSocket) {
  ConnectOverTls("REC: +OK one|+OK two\nHOLD\n");
  EXPECT_EQ(ReadLine(), "+OK one\r\n");
  // The server sends nothing more: a wait on the socket alone would end by
  // the time-out instead.
  EXPECT_TRUE(socket->DataAvailable());
  EXPECT_EQ(ReadLine(), "+OK two\r\n");
  EXPECT_FALSE(socket->TimedOut());
}

TEST_F(LineSocketTls, RecordsOfOneByteEachMakeOneLine) {
  ConnectOverTls("S1: +OK split into records\nS: +OK next\nHOLD\n");
  EXPECT_EQ(ReadLine(), "+OK split into records\r\n");
  EXPECT_EQ(ReadLine(), "+OK next\r\n");
}

TEST_F(LineSocketTls, ARecordArrivingOneByteAtATimeMakesOneLine) {
  ConnectOverTls("DRIBBLE: +OK dribbled\nC: QUIT\nS: +OK bye\n");
  EXPECT_EQ(ReadLine(), "+OK dribbled\r\n");
  std::string reply;
  socket->Transaction("QUIT", reply);
  EXPECT_EQ(reply, "+OK bye\r\n");
}

TEST_F(LineSocketTls, TheCloseAlertInTheMiddleOfAnAnswerReadsAsAClosedConnection) {
  ConnectOverTls("REC: +OK 3 lines|line 1|line 2\nCLOSE_NOTIFY\nHOLD\n");
  std::vector<std::string> lines;
  ASSERT_TRUE(socket->ReadLines(lines, 100, true));
  EXPECT_EQ(lines, (std::vector<std::string>{"+OK 3 lines\r\n", "line 1\r\n", "line 2\r\n"}));
  EXPECT_FALSE(socket->ReadLines(lines, 100, true)) << "no terminating line came: the answer is cut short";
  EXPECT_EQ(ReadLine(), "");
  EXPECT_FALSE(socket->TimedOut());
}

}  // namespace
}  // namespace linesockettest
