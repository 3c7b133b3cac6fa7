#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "LineSocketTestSupport.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TestEnvironment.h"
#include "net/LineSocket.h"

namespace {

using linesockettest::LineSocketTest;
using linesockettest::RaisedBy;
using net::EAbortError;
using net::ERangeError;
using testsupport::LoopbackServer;
using testsupport::PumpUntil;
using testsupport::Settle;
using Lines = std::vector<std::string>;

// ReadLines, the bulk read of multi-line answers, in conversations: what the
// server sends and what each call must hand out and leave queued.
class TLineSocketBulk : public LineSocketTest {
 protected:
  // A wait that never ends (bytes taken that should have stayed queued)
  // fails the test instead of hanging it.
  static constexpr int kBound = 5000;
  void Start(std::uint16_t port = 0) {
    socket->SetTimeOut(kBound);
    ConnectTo(port != 0 ? port : server.Port());
  }

  // One call; the lines it handed out.
  Lines Batch(std::size_t maxLines = 1000, bool stopAtTerminator = true) {
    Lines lines{"left over from before"};
    const bool open = socket->ReadLines(lines, maxLines, stopAtTerminator);
    EXPECT_EQ(open, !lines.empty());
    return lines;
  }

  // Calls until the terminating line; every line handed out must be whole.
  Lines Answer(std::size_t maxLines = 1000) {
    Lines all;
    for (int calls = 0; calls < 100000; ++calls) {
      const Lines lines = Batch(maxLines);
      if (lines.empty()) break;
      for (const std::string& line : lines) EXPECT_EQ(line.back(), '\n') << "a partial line was handed out";
      all.insert(all.end(), lines.begin(), lines.end());
      if (all.back() == ".\r\n") break;
    }
    return all;
  }

  LoopbackServer server;
};

TEST_F(TLineSocketBulk, LinesQueuedTogetherComeInOneCall) {
  server.Accept().Send("1 120\r\n2 200\r\n3 45\r\n.\r\n");
  Start();
  ASSERT_TRUE(PumpUntil([&] { return server.ScriptDone() && socket->DataAvailable(); }));
  EXPECT_EQ(Batch(), (Lines{"1 120\r\n", "2 200\r\n", "3 45\r\n", ".\r\n"}));
  EXPECT_FALSE(socket->DataAvailable());
}

TEST_F(TLineSocketBulk, TerminatorEndsTheCallAndWhatFollowsStaysQueued) {
  // Stuffed dots and a dot followed by a blank are ordinary lines.
  server.Accept().Send("body\r\n..stuffed\r\n..\r\n. \r\n.\r\n+OK next\r\n");
  Start();
  EXPECT_EQ(Batch(), (Lines{"body\r\n", "..stuffed\r\n", "..\r\n", ". \r\n", ".\r\n"}));
  EXPECT_TRUE(socket->DataAvailable());
  EXPECT_EQ(ReadLine(), "+OK next\r\n");
}

TEST_F(TLineSocketBulk, TerminatorEndedByALineFeedAloneEndsTheCallToo) {
  server.Accept().Send("bare\n.\nrest\n");
  Start();
  EXPECT_EQ(Batch(), (Lines{"bare\n", ".\n"}));
  EXPECT_EQ(ReadLine(), "rest\n");
}

TEST_F(TLineSocketBulk, WithoutTheTerminatorStopTheDotLineIsAnOrdinaryLine) {
  server.Accept().Send("a\r\n.\r\nb\r\n");
  Start();
  ASSERT_TRUE(PumpUntil([&] { return server.ScriptDone() && socket->DataAvailable(); }));
  EXPECT_EQ(Batch(1000, false), (Lines{"a\r\n", ".\r\n", "b\r\n"}));
}

TEST_F(TLineSocketBulk, MaxLinesLimitsACallAndLeavesTheRestQueued) {
  server.Accept().Send("1\r\n2\r\n3\r\n4\r\n5\r\n.\r\n");
  Start();
  ASSERT_TRUE(PumpUntil([&] { return server.ScriptDone() && socket->DataAvailable(); }));
  EXPECT_EQ(Batch(2), (Lines{"1\r\n", "2\r\n"}));
  EXPECT_EQ(Batch(0), (Lines{"3\r\n"}));  // 0 counts as 1
  EXPECT_EQ(ReadLine(), "4\r\n");
  EXPECT_EQ(Batch(2), (Lines{"5\r\n", ".\r\n"}));
  EXPECT_FALSE(socket->DataAvailable());
}

TEST_F(TLineSocketBulk, PartialLastLineStaysQueuedUntilItsEndArrives) {
  // S: one / tw (no end yet)   C: GO   S: o / .
  server.Accept().Send("one\r\ntw").AwaitBytes(4).Send("o\r\n.\r\n");
  Start();
  EXPECT_EQ(Batch(), Lines{"one\r\n"});
  EXPECT_TRUE(socket->DataAvailable());
  socket->Writeln("GO");
  EXPECT_EQ(Batch(), (Lines{"two\r\n", ".\r\n"}));
}

TEST_F(TLineSocketBulk, TerminatorArrivingInTwoPiecesStillStopsTheTaking) {
  // S: body / "." (its end not yet)   C: GO   S: CR LF / +OK after
  server.Accept().Send("body\r\n.").AwaitBytes(4).Send("\r\n+OK after\r\n");
  Start();
  EXPECT_EQ(Batch(), Lines{"body\r\n"});
  socket->Writeln("GO");
  EXPECT_EQ(Batch(), Lines{".\r\n"});
  EXPECT_EQ(ReadLine(), "+OK after\r\n");
}

TEST_F(TLineSocketBulk, AnswerInChunksOfAnySizeGivesTheSameLines) {
  const Lines expected{"+OK\r\n",         "Subject: test\r\n", "\r\n",   "..stuffed\r\n",
                       ". not the end\r\n", "bare\n",          std::string(300, 'x') + "\r\n",
                       "..\r\n",          ".\r\n"};
  std::string stream;
  for (const std::string& line : expected) stream += line;
  stream += "+OK after\r\n";
  for (const std::size_t chunk : {std::size_t{1}, std::size_t{5}, std::size_t{64}, std::size_t{4096}}) {
    SCOPED_TRACE("chunks of " + std::to_string(chunk));
    socket = std::make_unique<net::TLineSocket>(nullptr);
    LoopbackServer chunked;
    chunked.Accept();
    for (std::size_t at = 0; at < stream.size(); at += chunk) chunked.Send(stream.substr(at, chunk)).Pause();
    Start(chunked.Port());
    EXPECT_EQ(Answer(3), expected);
    EXPECT_EQ(ReadLine(), "+OK after\r\n");
  }
}

TEST_F(TLineSocketBulk, LongLineArrivingInPiecesIsHandedOutWhole) {
  const std::string body(20000, 'x');
  server.Accept().Send(body).Pause().Send("\r\nnext\r\n.\r\n");
  Start();
  EXPECT_EQ(Answer(), (Lines{body + "\r\n", "next\r\n", ".\r\n"}));
}

TEST_F(TLineSocketBulk, LineLongerThanTheTransferAreaIsRefused) {
  server.Accept().Send(std::string(net::TLineSocket::kLineBufferSize + 10, 'a') + "\r\n");
  Start();
  EXPECT_EQ(RaisedBy<ERangeError>([&] { Batch(); }), "Range check error");
}

TEST_F(TLineSocketBulk, PeerCloseAfterTheLastLineEndsTheStreamAfterIt) {
  server.Accept().Send("+OK bye\r\n").Close();
  Start();
  ASSERT_TRUE(PumpUntil([&] { return server.ScriptDone(); }));
  Settle();  // the close notification finds the line waiting
  EXPECT_TRUE(socket->IsConnected());
  EXPECT_EQ(Batch(), Lines{"+OK bye\r\n"});
  EXPECT_EQ(Batch(), Lines{});
}

TEST_F(TLineSocketBulk, PeerCloseInsideALineEndsTheStream) {
  server.Accept().Send("complete\r\ncut sh").Close();
  Start();
  EXPECT_EQ(Batch(), Lines{"complete\r\n"});
  EXPECT_EQ(Batch(), Lines{});
}

TEST_F(TLineSocketBulk, NeverConnectedComponentReportsTheEndOfTheStream) { EXPECT_EQ(Batch(), Lines{}); }

TEST_F(TLineSocketBulk, PendingCancelRaisesAndLeavesTheLinesQueued) {
  server.Accept().Send("1 120\r\n.\r\n");
  Start();
  ASSERT_TRUE(PumpUntil([&] { return server.ScriptDone() && socket->DataAvailable(); }));
  EXPECT_TRUE(AbortedByAPendingCancel([&] { Batch(); }));
  EXPECT_EQ(Batch(), (Lines{"1 120\r\n", ".\r\n"}));
}

TEST_F(TLineSocketBulk, CancelFromAHandlerEndsAWaitingCall) {
  server.Accept();
  Start();
  EXPECT_TRUE(AbortedByACancelFromAHandler([&] { Batch(); }));

  server.Send("late\r\n.\r\n");
  EXPECT_EQ(Answer(), (Lines{"late\r\n", ".\r\n"}));
}

TEST_F(TLineSocketBulk, SilentServerTimesOut) {
  server.Accept().Send("no end yet");
  Start();
  EXPECT_TRUE(AbortedByATimeOut([&] { Batch(); }));
}

TEST_F(TLineSocketBulk, ReportsReadLnOncePerCall) {
  Lines texts;
  socket->ReportLevel = 8;
  socket->OnStatus = [&](net::TComponent*, const std::string& text) { texts.push_back(text); };
  server.Accept().Send("1\r\n2\r\n.\r\n");
  Start();
  ASSERT_TRUE(PumpUntil([&] { return server.ScriptDone() && socket->DataAvailable(); }));
  texts.clear();
  EXPECT_EQ(Batch().size(), 3u);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "ReadLn"), 1);
}

}  // namespace
