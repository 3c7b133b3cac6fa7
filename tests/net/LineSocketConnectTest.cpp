#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "LineSocketTestSupport.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TestEnvironment.h"
#include "net/LineSocket.h"
#include "platform/core/Socket.h"
#include "platform/core/SocketErrors.h"

namespace {

using linesockettest::LineSocketTest;
using linesockettest::Loopback;
using linesockettest::RaisedBy;
using net::ESockError;
using net::Exception;
using testsupport::LoopbackServer;
using testsupport::PumpUntil;
using testsupport::Settle;

using TLineSocketConnect = LineSocketTest;

TEST_F(TLineSocketConnect, DottedAddressConnectsWithoutALookup) {
  LoopbackServer server;
  server.Accept();
  ConnectTo(server.Port());
  EXPECT_TRUE(socket->IsConnected());
  EXPECT_EQ(connects, 1);
  EXPECT_EQ(resolved, 0);
  EXPECT_EQ(socket->RemoteAddress(), Loopback());
  EXPECT_EQ(socket->RemotePort(), server.Port());
}

TEST_F(TLineSocketConnect, HostNameIsResolvedOnceAndItsAddressUsed) {
  LoopbackServer server;
  server.Accept();
  ConnectTo(server.Port(), "localhost");
  EXPECT_TRUE(socket->IsConnected());
  EXPECT_EQ(resolved, 1);
  EXPECT_EQ(socket->RemoteAddress(), Loopback());
  ASSERT_TRUE(PumpUntil([&] { return server.Accepted() == 1; }));
}

TEST_F(TLineSocketConnect, NameThatDoesNotResolveRaisesNullRemoteAddress) {
  REQUIRE_PRIVATE_NETWORK();
  EXPECT_EQ(RaisedBy<ESockError>([&] { ConnectTo(110, "nosuch.invalid"); }), "Null Remote Address");
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(resolved, 0);
  EXPECT_FALSE(socket->IsConnected());
}

TEST_F(TLineSocketConnect, InvalidHostHandlerGetsOneChanceToCorrectTheHost) {
  REQUIRE_PRIVATE_NETWORK();
  LoopbackServer server;
  server.Accept();
  int asked = 0;
  socket->OnInvalidHost = [&](bool& handled) {
    ++asked;
    socket->Host = "127.0.0.1";
    handled = true;
  };
  ConnectTo(server.Port(), "nosuch.invalid");
  EXPECT_TRUE(socket->IsConnected());
  EXPECT_EQ(asked, 1);

  // A correction that fails as well is not offered to the handler again;
  // neither is a host the handler declines to correct.
  socket->Disconnect();
  asked = 0;
  socket->OnInvalidHost = [&](bool& handled) {
    ++asked;
    socket->Host = "other.invalid";
    handled = true;
  };
  EXPECT_EQ(RaisedBy<ESockError>([&] { ConnectTo(server.Port(), "nosuch.invalid"); }), "Null Remote Address");
  EXPECT_EQ(asked, 1);

  asked = 0;
  socket->OnInvalidHost = [&](bool&) { ++asked; };
  EXPECT_EQ(RaisedBy<ESockError>([&] { ConnectTo(server.Port(), "nosuch.invalid"); }), "Null Remote Address");
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(failures, 0);
}

TEST_F(TLineSocketConnect, ConnectWhileConnectedRaisesAndKeepsTheConnection) {
  LoopbackServer server;
  server.Accept().AwaitBytes(6).Send("+OK\r\n");
  ConnectTo(server.Port());
  EXPECT_EQ(RaisedBy<ESockError>([&] { socket->Connect(); }), "Already connected");
  EXPECT_TRUE(socket->IsConnected());
  std::string reply;
  socket->Transaction("NOOP", reply);
  EXPECT_EQ(reply, "+OK\r\n");
  EXPECT_EQ(server.Accepted(), 1);
}

TEST_F(TLineSocketConnect, NothingListeningFiresConnectionFailedOnceThenRaises) {
  testsupport::RefusingPort refusing;
  EXPECT_EQ(RaisedBy<ESockError>([&] { ConnectTo(refusing.Port()); }), "Connection Failed");
  EXPECT_EQ(socket->ConnectError(), platform::kSockECONNREFUSED);
  EXPECT_EQ(failures, 1);
  EXPECT_EQ(connects, 0);
  EXPECT_FALSE(socket->IsConnected());

  // The next attempt works on the same component.
  LoopbackServer server;
  server.Accept();
  ConnectTo(server.Port());
  EXPECT_TRUE(socket->IsConnected());
  EXPECT_EQ(socket->ConnectError(), 0);
  EXPECT_EQ(failures, 1);
}

TEST_F(TLineSocketConnect, ConnectThatNeverCompletesTimesOut) {
  testsupport::SilentPort silent;
  socket->SetTimeOut(200);
  EXPECT_EQ(RaisedBy<ESockError>([&] { ConnectTo(silent.Port()); }), "Connection Timed out");
  EXPECT_EQ(failures, 1);
  EXPECT_TRUE(socket->TimedOut());
  EXPECT_TRUE(socket->CancelRequested());  // the time-out cancels, and the cancel stays
  EXPECT_FALSE(socket->IsConnected());
  EXPECT_FALSE(socket->TimeoutTimer().Enabled());
}

TEST_F(TLineSocketConnect, CancelDuringTheConnectWaitRaisesConnectionCanceled) {
  testsupport::SilentPort silent;
  testsupport::RunSoon([&] { socket->Cancel(); });
  EXPECT_EQ(RaisedBy<ESockError>([&] { ConnectTo(silent.Port()); }), "Connection Canceled");
  EXPECT_EQ(failures, 1);
  EXPECT_TRUE(socket->CancelRequested());
  EXPECT_FALSE(socket->TimedOut());

  LoopbackServer server;  // the next Connect clears the flag
  server.Accept();
  ConnectTo(server.Port());
  EXPECT_TRUE(socket->IsConnected());
  EXPECT_FALSE(socket->CancelRequested());
}

TEST_F(TLineSocketConnect, CancelDuringTheHostLookupRaisesLookupCanceled) {
  testsupport::RunSoon([&] { socket->Cancel(); });
  EXPECT_EQ(RaisedBy<ESockError>([&] { ConnectTo(110, "localhost"); }), "Host Lookup Canceled");
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(resolved, 0);

  LoopbackServer server;
  server.Accept();
  ConnectTo(server.Port(), "localhost");
  EXPECT_TRUE(socket->IsConnected());
  EXPECT_EQ(resolved, 1);
}

TEST_F(TLineSocketConnect, TimeOutCallsTheOverriddenAbort) {
  class CountingSocket : public net::TLineSocket {
   public:
    using TLineSocket::TLineSocket;
    void Abort() override {
      ++aborts;
      TLineSocket::Abort();
    }
    int aborts = 0;
  };
  CountingSocket counting(nullptr);
  testsupport::SilentPort silent;
  counting.Host = "127.0.0.1";
  counting.Port = silent.Port();
  counting.SetTimeOut(50);
  EXPECT_EQ(RaisedBy<ESockError>([&] { counting.Connect(); }), "Connection Timed out");
  EXPECT_EQ(counting.aborts, 1);
}

TEST_F(TLineSocketConnect, PeerCloseWithNothingQueuedDisconnectsAndLeavesTheComponentReady) {
  LoopbackServer server;
  server.Accept();
  ConnectTo(server.Port());
  server.Close();
  ASSERT_TRUE(PumpUntil([&] { return !socket->IsConnected(); }));
  EXPECT_EQ(disconnects, 1);
  EXPECT_EQ(ReadLine(), "");

  server.Accept();
  ConnectTo(server.Port());
  EXPECT_TRUE(socket->IsConnected());
}

TEST_F(TLineSocketConnect, DisconnectOfANeverConnectedComponentFiresOnDisconnect) {
  socket->Disconnect();
  EXPECT_EQ(disconnects, 1);
  EXPECT_FALSE(socket->IsConnected());
  LoopbackServer server;
  server.Accept();
  ConnectTo(server.Port());
  EXPECT_TRUE(socket->IsConnected());
}

TEST_F(TLineSocketConnect, DestroyingAConnectedComponentResetsWithoutOnDisconnect) {
  LoopbackServer server;
  server.Accept();
  ConnectTo(server.Port());
  ASSERT_TRUE(PumpUntil([&] { return server.Accepted() == 1; }));
  socket.reset();
  EXPECT_EQ(disconnects, 0);
  ASSERT_TRUE(PumpUntil([&] { return server.PeerClosed(); }));
  EXPECT_TRUE(server.PeerReset());  // the first socket closes with a reset
}

TEST_F(TLineSocketConnect, CheckConnectionGivesTheHandlerOneChance) {
  EXPECT_EQ(RaisedBy<Exception>([&] { socket->CheckConnection(); }), "Not Connected");

  int asked = 0;
  socket->OnConnectionRequired = [&](bool& handled) {
    ++asked;
    handled = true;  // claims to have connected, but did not
  };
  EXPECT_EQ(RaisedBy<Exception>([&] { socket->CheckConnection(); }), "Not Connected");
  EXPECT_EQ(asked, 1);

  LoopbackServer server;
  server.Accept();
  socket->OnConnectionRequired = [&](bool& handled) {
    ConnectTo(server.Port());
    handled = true;
  };
  EXPECT_NO_THROW(socket->CheckConnection());
  EXPECT_TRUE(socket->IsConnected());
}

class NullSink : public platform::SocketEventSink {
 public:
  void OnSocketEvent(platform::SocketEventKind, int) override {}
  void OnLookupDone(int, std::uint32_t) override {}
};

TEST_F(TLineSocketConnect, AcceptTakesAPendingConnection) {
  socket->Listen(Loopback(), 0);
  ASSERT_NE(socket->LocalPort(), 0);
  NullSink sink;
  platform::TcpSocket client(sink);
  ASSERT_TRUE(client.Open(false));
  client.Connect(Loopback(), socket->LocalPort());

  std::unique_ptr<platform::TcpSocket> accepted = socket->Accept();
  ASSERT_TRUE(accepted);
  EXPECT_EQ(socket->RemoteAddress(), Loopback());
  EXPECT_EQ(socket->RemotePort(), client.LocalPort());
  ASSERT_EQ(accepted->Send("+OK\r\n", 5), 5);
  char reply[8];
  ASSERT_TRUE(PumpUntil([&] { return client.Recv(reply, sizeof reply, true) == 5; }));
}

TEST_F(TLineSocketConnect, AcceptWithACancelPendingRaisesAndKeepsTheCancel) {
  socket->Cancel();
  EXPECT_EQ(RaisedBy<ESockError>([&] { socket->Accept(); }), "Accepting Canceled");
  EXPECT_TRUE(socket->CancelRequested());
}

}  // namespace
