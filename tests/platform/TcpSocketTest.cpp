#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <thread>

#include "tests/support/LoopbackServer.h"
#include "SocketTestSupport.h"
#include "tests/support/TestEnvironment.h"
#include "platform/core/EventLoop.h"
#include "platform/core/Socket.h"
#include "platform/core/SocketErrors.h"

namespace {

using platform::SocketEventKind;
using platform::TcpSocket;
using sockettest::Loopback;
using sockettest::RecordingSink;
using testsupport::LoopbackServer;
using testsupport::PumpUntil;
using testsupport::Settle;

// Starts a connection and pumps until its notification has come.
void ConnectAndWait(TcpSocket& socket, RecordingSink& sink, std::uint16_t port) {
  ASSERT_TRUE(socket.Open(false));
  if (socket.Connect(Loopback(), port) != 0) {
    ASSERT_EQ(platform::LastSocketError(), platform::kSockEWOULDBLOCK);
  }
  ASSERT_TRUE(PumpUntil([&] { return sink.Count(SocketEventKind::Connect) > 0; }));
}

TEST(TcpSocketTest, ConnectNotifiesOnceWithoutError) {
  LoopbackServer server;
  server.Accept();
  RecordingSink sink;
  TcpSocket socket(sink);
  ConnectAndWait(socket, sink, server.Port());
  Settle();
  EXPECT_EQ(sink.Count(SocketEventKind::Connect), 1);
  EXPECT_EQ(sink.ErrorOf(SocketEventKind::Connect), 0);
  EXPECT_EQ(sink.events.size(), 1u);
}

TEST(TcpSocketTest, RefusedConnectIsNotifiedOnceWithItsError) {
  testsupport::RefusingPort port;
  RecordingSink sink;
  TcpSocket socket(sink);
  ConnectAndWait(socket, sink, port.Port());
  Settle();
  EXPECT_EQ(sink.Count(SocketEventKind::Connect), 1);
  EXPECT_EQ(sink.ErrorOf(SocketEventKind::Connect), platform::kSockECONNREFUSED);
  EXPECT_EQ(sink.Count(SocketEventKind::Close), 0);
}

TEST(TcpSocketTest, ReopeningDropsTheNotificationOfTheEarlierAttempt) {
  testsupport::RefusingPort port;
  RecordingSink sink;
  TcpSocket socket(sink);
  ASSERT_TRUE(socket.Open(false));
  socket.Connect(Loopback(), port.Port());
  ASSERT_TRUE(socket.Open(false));
  Settle();
  EXPECT_TRUE(sink.events.empty());
}

TEST(TcpSocketTest, DataFollowedByCloseGivesReadThenOneClose) {
  LoopbackServer server;
  server.Accept().Send("last line\r\n").Close();
  RecordingSink sink;
  TcpSocket socket(sink);
  ConnectAndWait(socket, sink, server.Port());
  ASSERT_TRUE(PumpUntil([&] { return sink.Count(SocketEventKind::Close) == 1; }));
  EXPECT_GE(sink.IndexOf(SocketEventKind::Read), 0);
  EXPECT_LT(sink.IndexOf(SocketEventKind::Read), sink.IndexOf(SocketEventKind::Close));
  EXPECT_EQ(sink.ErrorOf(SocketEventKind::Close), 0);

  char buffer[64];
  EXPECT_EQ(socket.Recv(buffer, sizeof buffer, true), 11);  // still queued
  EXPECT_EQ(socket.Recv(buffer, sizeof buffer, false), 11);
  EXPECT_EQ(std::string(buffer, 11), "last line\r\n");
  EXPECT_EQ(socket.Recv(buffer, sizeof buffer, false), 0);
  Settle();
  EXPECT_EQ(sink.Count(SocketEventKind::Close), 1);
}

TEST(TcpSocketTest, UnreadBytesNotifyOnceUntilTheNextReceive) {
  LoopbackServer server;
  server.Accept().Send("abc");
  RecordingSink sink;
  TcpSocket socket(sink);
  ConnectAndWait(socket, sink, server.Port());
  ASSERT_TRUE(PumpUntil([&] { return sink.Count(SocketEventKind::Read) == 1; }));

  const long activationsBefore = testsupport::SocketActivations();
  for (int i = 0; i < 20; ++i) platform::WaitForEvents(20);
  EXPECT_EQ(sink.Count(SocketEventKind::Read), 1);
  // A notifier left armed on unread bytes fires at every turn of the loop:
  // each wait would end at once, with one more activation.
  EXPECT_LE(testsupport::SocketActivations() - activationsBefore, 2);

  char byte;
  ASSERT_EQ(socket.Recv(&byte, 1, false), 1);
  ASSERT_TRUE(PumpUntil([&] { return sink.Count(SocketEventKind::Read) == 2; }));  // two bytes still wait
  char rest[2];
  ASSERT_EQ(socket.Recv(rest, sizeof rest, false), 2);
  Settle();
  EXPECT_EQ(sink.Count(SocketEventKind::Read), 2);
}

TEST(TcpSocketTest, PeerResetGivesCloseWithTheResetError) {
  LoopbackServer server;
  server.Accept();
  RecordingSink sink;
  TcpSocket socket(sink);
  ConnectAndWait(socket, sink, server.Port());
  server.Reset();
  ASSERT_TRUE(PumpUntil([&] { return sink.Count(SocketEventKind::Close) == 1; }));
  EXPECT_EQ(sink.ErrorOf(SocketEventKind::Close), platform::kSockECONNRESET);
}

TEST(TcpSocketTest, SendOnAResetConnectionFailsInsteadOfRaisingSigpipe) {
  LoopbackServer server;
  server.Accept();
  RecordingSink sink;
  TcpSocket socket(sink);
  ConnectAndWait(socket, sink, server.Port());
  server.Reset();
  ASSERT_TRUE(PumpUntil([&] { return sink.Count(SocketEventKind::Close) == 1; }));
  long sent = 1;
  for (int attempt = 0; attempt < 100 && sent > 0; ++attempt) sent = socket.Send("x", 1);
  ASSERT_LT(sent, 0);
  const int error = platform::LastSocketError();
  EXPECT_TRUE(error == platform::kSockECONNRESET || error == platform::kSockESHUTDOWN) << error;
}

TEST(TcpSocketTest, ZeroLingerResetsTheConnectionAndTheDefaultClosesGracefully) {
  for (const bool resetOnClose : {true, false}) {
    LoopbackServer server;
    server.Accept();
    RecordingSink sink;
    TcpSocket socket(sink);
    ASSERT_TRUE(socket.Open(resetOnClose));
    socket.Connect(Loopback(), server.Port());
    ASSERT_TRUE(PumpUntil([&] { return server.Accepted() == 1 && sink.Count(SocketEventKind::Connect) == 1; }));
    EXPECT_TRUE(socket.Close());
    EXPECT_FALSE(socket.IsValid());
    ASSERT_TRUE(PumpUntil([&] { return server.PeerClosed(); }));
    EXPECT_EQ(server.PeerReset(), resetOnClose);
    EXPECT_EQ(sink.Count(SocketEventKind::Close), 0);  // our own close is not notified
  }
}

TEST(TcpSocketTest, ListeningSocketNotifiesAcceptAndHandsOverTheConnection) {
  RecordingSink listenerSink;
  TcpSocket listener(listenerSink);
  ASSERT_TRUE(listener.Open(false));
  ASSERT_TRUE(listener.Listen(Loopback(), 0, 5));
  ASSERT_NE(listener.LocalPort(), 0);

  RecordingSink clientSink;
  TcpSocket client(clientSink);
  ConnectAndWait(client, clientSink, listener.LocalPort());
  ASSERT_TRUE(PumpUntil([&] { return listenerSink.Count(SocketEventKind::Accept) == 1; }));

  RecordingSink acceptedSink;
  std::uint32_t peerAddress = 0;
  std::uint16_t peerPort = 0;
  std::unique_ptr<TcpSocket> accepted = listener.Accept(acceptedSink, peerAddress, peerPort);
  ASSERT_TRUE(accepted);
  EXPECT_EQ(peerAddress, Loopback());
  EXPECT_EQ(peerPort, client.LocalPort());

  ASSERT_EQ(client.Send("hi", 2), 2);
  ASSERT_TRUE(PumpUntil([&] { return acceptedSink.Count(SocketEventKind::Read) == 1; }));
  char buffer[4];
  EXPECT_EQ(accepted->Recv(buffer, sizeof buffer, false), 2);
  EXPECT_EQ(listenerSink.Count(SocketEventKind::Accept), 1);
}

TEST(TcpSocketTest, SinkMayDestroyTheSocketInsideANotification) {
  LoopbackServer server;
  server.Accept().Send("bye\r\n").Close();
  RecordingSink sink;
  auto socket = std::make_unique<TcpSocket>(sink);
  sink.onEvent = [&](SocketEventKind kind) {
    if (kind == SocketEventKind::Close) socket.reset();
  };
  ConnectAndWait(*socket, sink, server.Port());
  ASSERT_TRUE(PumpUntil([&] { return socket == nullptr; }));
  Settle();
  EXPECT_EQ(sink.Count(SocketEventKind::Close), 1);
}

TEST(TcpSocketTest, WaitReadableReturnsWhenBytesArrive) {
  // An echo peer on a thread of its own, so that the reply arrives from
  // outside the event loop.
  const int listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = Loopback();
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listenFd, 1), 0);
  ASSERT_EQ(::getsockname(listenFd, reinterpret_cast<sockaddr*>(&address), &length), 0);
  std::thread echo([listenFd] {
    const int fd = ::accept(listenFd, nullptr, nullptr);
    char byte;
    if (fd >= 0 && ::recv(fd, &byte, 1, 0) == 1) ::send(fd, &byte, 1, MSG_NOSIGNAL);
    if (fd >= 0) ::close(fd);
  });

  RecordingSink sink;
  TcpSocket socket(sink);
  ConnectAndWait(socket, sink, ntohs(address.sin_port));
  ASSERT_EQ(socket.Send("e", 1), 1);
  char byte = 0;
  for (int pass = 0; pass < 100 && socket.Recv(&byte, 1, true) < 0; ++pass) socket.WaitReadable(20000);
  EXPECT_EQ(byte, 'e');
  echo.join();
  ::close(listenFd);
}

}  // namespace
