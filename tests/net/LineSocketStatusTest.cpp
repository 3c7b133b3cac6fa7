#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "LineSocketTestSupport.h"
#include "tests/support/LoopbackServer.h"
#include "net/LineSocket.h"

namespace {

using linesockettest::LineSocketTest;
using testsupport::LoopbackServer;

class TLineSocketStatus : public LineSocketTest {
 protected:
  // One short session: connect, NOOP, disconnect; returns the texts that
  // reached OnStatus.
  std::vector<std::string> SessionAtLevel(int level) {
    std::vector<std::string> texts;
    socket->ReportLevel = level;
    socket->OnStatus = [&](net::TComponent* sender, const std::string& text) {
      EXPECT_EQ(sender, socket.get());
      texts.push_back(text);
    };
    LoopbackServer server;
    server.Accept().AwaitBytes(6).Send("+OK\r\n");
    ConnectTo(server.Port());
    std::string reply;
    socket->Transaction("NOOP", reply);
    socket->Disconnect();
    socket->OnStatus = nullptr;
    return texts;
  }

  static bool Has(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }
};

TEST_F(TLineSocketStatus, LevelZeroDeliversNothing) { EXPECT_TRUE(SessionAtLevel(0).empty()); }

TEST_F(TLineSocketStatus, LevelOneDeliversTheReplyLinesOnly) {
  EXPECT_EQ(SessionAtLevel(1), std::vector<std::string>{"+OK\r\n"});
  EXPECT_EQ(socket->StatusText(), "+OK\r\n");
}

TEST_F(TLineSocketStatus, LevelFourAddsTheSocketActions) {
  const std::vector<std::string> texts = SessionAtLevel(4);
  EXPECT_TRUE(Has(texts, "+OK\r\n"));
  EXPECT_TRUE(Has(texts, "Sending Buffer"));
  EXPECT_TRUE(Has(texts, "Request Close Socket"));
  EXPECT_FALSE(Has(texts, "Connecting"));
  EXPECT_FALSE(Has(texts, "ReadLn"));
}

TEST_F(TLineSocketStatus, LevelEightTracesEveryOperationAndTheIdleTimer) {
  const std::vector<std::string> texts = SessionAtLevel(8);
  for (const char* text : {"Connecting", "Resolve Host", "Timer On", "Timer Off", "Transaction", "Writeln", "Write",
                           "Sending Buffer", "ReadLn", "+OK\r\n", "Disconnecting", "Request Close Socket"}) {
    EXPECT_TRUE(Has(texts, text)) << text;
  }
  EXPECT_FALSE(Has(texts, "Timer Triggered"));  // TimeOut 0: no time-out fires
}

TEST_F(TLineSocketStatus, ThrowingStatusHandlerDoesNotDisturbTheSession) {
  socket->ReportLevel = 8;
  int calls = 0;
  socket->OnStatus = [&](net::TComponent*, const std::string&) {
    ++calls;
    throw std::runtime_error("status handler failed");
  };
  LoopbackServer server;
  server.Accept().AwaitBytes(6).Send("+OK\r\n");
  ConnectTo(server.Port());
  std::string reply;
  socket->Transaction("NOOP", reply);
  EXPECT_EQ(reply, "+OK\r\n");
  EXPECT_GT(calls, 0);
}

TEST_F(TLineSocketStatus, DestructionReportsToNoHandler) {
  socket->ReportLevel = 8;
  int calls = 0;
  socket->OnStatus = [&](net::TComponent*, const std::string&) { ++calls; };
  socket.reset();
  EXPECT_EQ(calls, 0);
}

}  // namespace
