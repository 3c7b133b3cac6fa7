#include <gtest/gtest.h>

#include <string>

#include "LineSocketTestSupport.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TestEnvironment.h"
#include "net/LineSocket.h"
#include "platform/core/WindowTimer.h"

namespace {

using linesockettest::LineSocketTest;
using linesockettest::RaisedBy;
using net::EAbortError;
using net::ERangeError;
using testsupport::LoopbackServer;
using testsupport::PumpUntil;
using testsupport::Settle;

// Conversations: what the server sends (S:) and what the client must read
// or send (C:).
class TLineSocketLines : public LineSocketTest {
 protected:
  void Start() { ConnectTo(server.Port()); }

  // Disconnects, and once the server has seen the close, everything it
  // received.
  std::string ReceivedUntilClose() {
    socket->Disconnect();
    EXPECT_TRUE(PumpUntil([&] { return server.PeerClosed(); })) << "the server did not see the close";
    return server.Received();
  }

  // Writes 64 KiB blocks to a peer that reads nothing until one raises
  // EAbortError, and returns its message; "never waited" when 2000 blocks
  // went out without one.
  std::string WriteUntilAborted() {
    const std::string block(65535, 'z');
    for (int i = 0; i < 2000; ++i) {
      try {
        socket->Write(block);
      } catch (const EAbortError& error) {
        return error.what();
      }
    }
    return "never waited";
  }

  LoopbackServer server;
};

TEST_F(TLineSocketLines, ReplyArrivingInPiecesIsReturnedWhole) {
  server.Accept().Send("+OK he").Pause(2).Send("llo wor").Pause(2).Send("ld\r\n");
  Start();
  EXPECT_EQ(ReadLine(), "+OK hello world\r\n");
}

TEST_F(TLineSocketLines, LinesArrivingTogetherAreReturnedOneByOne) {
  server.Accept().Send("+OK one\r\n+OK two\r\n.\r\n");
  Start();
  EXPECT_EQ(ReadLine(), "+OK one\r\n");
  EXPECT_EQ(ReadLine(), "+OK two\r\n");
  EXPECT_EQ(ReadLine(), ".\r\n");
  EXPECT_FALSE(socket->DataAvailable());
}

TEST_F(TLineSocketLines, LineEndedByALineFeedAloneKeepsJustTheLineFeed) {
  server.Accept().Send("+OK bare\n+OK next\r\n");
  Start();
  EXPECT_EQ(ReadLine(), "+OK bare\n");
  EXPECT_EQ(ReadLine(), "+OK next\r\n");
}

TEST_F(TLineSocketLines, LongLineNeedingSeveralLooksIsReadExactly) {
  const std::string body(20000, 'x');
  server.Accept().Send(body).Pause().Send("\r\nnext\r\n");
  Start();
  EXPECT_EQ(ReadLine(), body + "\r\n");
  EXPECT_EQ(ReadLine(), "next\r\n");
}

TEST_F(TLineSocketLines, LineLongerThanTheTransferAreaIsRefused) {
  server.Accept().Send(std::string(net::TLineSocket::kLineBufferSize + 10, 'a') + "\r\n");
  Start();
  EXPECT_EQ(RaisedBy<ERangeError>([&] { ReadLine(); }), "Range check error");
}

TEST_F(TLineSocketLines, LastLineLeftUnreadAtThePeersCloseIsStillRead) {
  // S: +OK bye, then the server closes before the client has read it.
  server.Accept().Send("+OK bye\r\n").Close();
  Start();
  ASSERT_TRUE(PumpUntil([&] { return server.ScriptDone(); }));
  Settle();  // the close notification finds the line waiting
  EXPECT_TRUE(socket->IsConnected());
  EXPECT_EQ(disconnects, 0);
  EXPECT_EQ(ReadLine(), "+OK bye\r\n");
  EXPECT_EQ(ReadLine(), "");
}

TEST_F(TLineSocketLines, PeerResetWhileIdleDisconnectsAndReadLnReturnsEmpty) {
  server.Accept();
  Start();
  server.Reset();
  ASSERT_TRUE(PumpUntil([&] { return !socket->IsConnected(); }));
  EXPECT_EQ(disconnects, 1);
  EXPECT_EQ(ReadLine(), "");
}

TEST_F(TLineSocketLines, PeerResetWhileReadLnWaitsEndsTheWait) {
  server.Accept();
  Start();
  server.Pause(2).Reset();
  // Whichever sees the reset first decides: the close notification (the
  // socket is replaced, ReadLn finds it unconnected) or the receive itself.
  std::string outcome;
  try {
    outcome = ReadLine();
  } catch (const net::ESockError& error) {
    outcome = error.what();
  }
  EXPECT_TRUE(outcome.empty() || outcome == "10054:Connection reset by peer") << outcome;
  ASSERT_TRUE(PumpUntil([&] { return !socket->IsConnected(); }));
  EXPECT_EQ(disconnects, 1);
}

TEST_F(TLineSocketLines, ReadLnOnAComponentThatNeverConnectedReturnsEmpty) { EXPECT_EQ(ReadLine(), ""); }

TEST_F(TLineSocketLines, WritelnOnAComponentThatNeverConnectedRaisesNotConnected) {
  EXPECT_EQ(RaisedBy<net::ESockError>([&] { socket->Writeln("NOOP"); }), "10057:Socket is not connected");
}

TEST_F(TLineSocketLines, PendingCancelMakesReadLnRaiseAndLeavesTheLineQueued) {
  server.Accept().Send("+OK ready\r\n");
  Start();
  ASSERT_TRUE(PumpUntil([&] { return socket->DataAvailable(); }));
  EXPECT_TRUE(AbortedByAPendingCancel([&] { ReadLine(); }));
  EXPECT_EQ(ReadLine(), "+OK ready\r\n");
}

TEST_F(TLineSocketLines, CancelFromAHandlerEndsAWaitingReadLn) {
  server.Accept();
  Start();
  EXPECT_TRUE(AbortedByACancelFromAHandler([&] { ReadLine(); }));

  server.Send("+OK late\r\n");
  EXPECT_EQ(ReadLine(), "+OK late\r\n");
}

TEST_F(TLineSocketLines, ReadLnOnASilentServerTimesOut) {
  server.Accept();
  Start();
  EXPECT_TRUE(AbortedByATimeOut([&] { ReadLine(); }));
}

// After the machine woke, a wait on a connection that may have died in its
// sleep ends within the bound it is given, by the time-out, not by the
// (here hour-long) time-out it began with. A cancel watches over the test.
TEST_F(TLineSocketLines, RunningWaitLimitedAfterAWakeEndsByTheTimeOutWithinTheLimit) {
  server.Accept();
  Start();
  socket->SetTimeOut(3600 * 1000);
  EXPECT_FALSE(socket->TimeoutTimer().Enabled());
  socket->LimitRunningWait(50);  // no wait runs: nothing to limit
  testsupport::RunSoon([&] { socket->LimitRunningWait(50); });
  platform::WindowTimer watchdog(20000, true);
  watchdog.SetOnTimer([&] { socket->Cancel(); });
  EXPECT_EQ(RaisedBy<EAbortError>([&] { ReadLine(); }), "Socket readln aborted");
  EXPECT_TRUE(socket->TimedOut()) << "ended by the watchdog's cancel, not by the limited time-out";
}

// A deadline left by a command of the last session must not cut short the
// next session's waits.
TEST_F(TLineSocketLines, ConnectForgetsTheLastSessionsCommandDeadline) {
  server.Accept();
  Start();
  socket->SetTimeOut(5000);
  socket->SetCommandDeadline(1);
  socket->Disconnect();
  ASSERT_TRUE(PumpUntil([&] { return server.PeerClosed(); }));

  LoopbackServer next;
  next.Accept();
  ConnectTo(next.Port());
  // The server answers a little later, well past the old deadline.
  platform::WindowTimer later(100, true);
  later.SetOnTimer([&] {
    later.SetEnabled(false);
    next.Send("+OK later\r\n");
  });
  EXPECT_EQ(ReadLine(), "+OK later\r\n");
  EXPECT_FALSE(socket->TimedOut());
}

TEST_F(TLineSocketLines, NegativeTimeOutMakesTheWaitFail) {
  server.Accept().Send("+OK\r\n");
  Start();
  socket->SetTimeOut(-1);
  EXPECT_EQ(RaisedBy<ERangeError>([&] { ReadLine(); }), "Range check error");
  socket->SetTimeOut(0);
  EXPECT_EQ(ReadLine(), "+OK\r\n");
}

TEST_F(TLineSocketLines, TransactionSendsTheCommandAndReturnsTheReply) {
  // S: +OK ready  C: STAT  S: +OK 2 320
  server.Accept().Send("+OK ready\r\n").AwaitBytes(6).Send("+OK 2 320\r\n");
  Start();
  EXPECT_EQ(ReadLine(), "+OK ready\r\n");
  std::string reply;
  socket->Transaction("STAT", reply);
  EXPECT_EQ(reply, "+OK 2 320\r\n");
  EXPECT_EQ(server.Received(), "STAT\r\n");
}

TEST_F(TLineSocketLines, WritelnQuitPutsExactlySixBytesOnTheWire) {
  server.Accept();
  Start();
  socket->Writeln("QUIT");
  EXPECT_EQ(ReceivedUntilClose(), "QUIT\r\n");
}

TEST_F(TLineSocketLines, WriteStopsAtAZeroByteAndRefusesOverlongText) {
  server.Accept();
  Start();
  socket->Write(std::string("AB\0CD", 5));
  EXPECT_EQ(RaisedBy<ERangeError>([&] { socket->Write(std::string(65536, 'x')); }), "Range check error");
  socket->Write(std::string(65535, 'y'));
  EXPECT_EQ(ReceivedUntilClose(), "AB" + std::string(65535, 'y'));
}

TEST_F(TLineSocketLines, PendingCancelMakesSendBufferRaiseWithoutSending) {
  server.Accept();
  Start();
  socket->Cancel();
  EXPECT_EQ(RaisedBy<EAbortError>([&] { socket->SendBuffer("DELE 1\r\n", 0); }), "Socket send aborted");
  EXPECT_FALSE(socket->CancelRequested());
  socket->Writeln("NOOP");
  EXPECT_EQ(ReceivedUntilClose(), "NOOP\r\n");
}

TEST_F(TLineSocketLines, LargeTransferWaitsForRoomWhileTheServerCatchesUp) {
  // Far more than the connection buffers: the sender must let the event
  // loop turn, where this server reads, while it waits for room.
  server.Accept();
  Start();
  const std::string block(65535, 'z');
  constexpr int kBlocks = 200;
  for (int i = 0; i < kBlocks; ++i) socket->Write(block);
  const std::size_t total = block.size() * kBlocks;
  EXPECT_TRUE(PumpUntil([&] { return server.Received().size() >= total; }));
  EXPECT_EQ(server.Received().size(), total);
}

TEST_F(TLineSocketLines, CancelWhileSendBufferWaitsForRoomAbortsTheSend) {
  testsupport::IdlePort idle;  // never reads
  ConnectTo(idle.Port());
  testsupport::RunSoon([&] { socket->Cancel(); });
  EXPECT_EQ(WriteUntilAborted(), "Socket send aborted");
  EXPECT_FALSE(socket->CancelRequested());
}

TEST_F(TLineSocketLines, SendBufferWaitingForRoomTimesOut) {
  testsupport::IdlePort idle;
  ConnectTo(idle.Port());
  socket->SetTimeOut(50);
  EXPECT_EQ(WriteUntilAborted(), "Socket send aborted");
  EXPECT_TRUE(socket->TimedOut());
}

TEST_F(TLineSocketLines, ClearInputThrowsAwayWhatIsQueuedOnly) {
  server.Accept().Send("junk\r\nmore junk\r\n");
  Start();
  ASSERT_TRUE(PumpUntil([&] { return server.ScriptDone() && socket->DataAvailable(); }));
  socket->ClearInput();
  EXPECT_FALSE(socket->DataAvailable());
  server.Send("+OK\r\n");
  EXPECT_EQ(ReadLine(), "+OK\r\n");
}

}  // namespace
