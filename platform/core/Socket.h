#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <array>
#include <string>
#include <vector>

#include "platform/core/Tls.h"

namespace platform {

// An IPv4 or IPv6 address; IPv4 in the first four bytes, network order.
struct IpAddress {
  bool v6 = false;
  std::array<std::uint8_t, 16> bytes{};

  static IpAddress FromIPv4(std::uint32_t addressNetOrder);
  // A dotted IPv4 address or an IPv6 literal (no brackets); false otherwise.
  static bool Parse(const std::string& text, IpAddress& address);
  // The IPv4 address in network order; 0 for an IPv6 one.
  std::uint32_t IPv4() const;
  bool IsLoopback() const;
  std::string Text() const;
};

// Kinds of notification a socket delivers.
enum class SocketEventKind { Read, OutOfBand, Accept, Connect, Close };

// Receiver of one socket's notifications and of host look-up completions.
// Calls arrive on the user-interface thread, only while events are pumped.
class SocketEventSink {
 public:
  virtual ~SocketEventSink() = default;
  // errorCode is a SocketError number, 0 when none.
  virtual void OnSocketEvent(SocketEventKind kind, int errorCode) = 0;
  // addressNetOrder is the first IPv4 address found (network byte order),
  // valid when errorCode is 0.
  virtual void OnLookupDone(int errorCode, std::uint32_t addressNetOrder) = 0;
  // Every address found, IPv6 and IPv4 in the resolver's order. By default
  // it passes the first IPv4 one to OnLookupDone (kSockNO_DATA when there is
  // none), for sinks that use one IPv4 address only.
  virtual void OnLookupAddresses(int errorCode, const std::vector<IpAddress>& addresses);
};

// A non-blocking TCP socket (IPv4, or IPv6 once it connects to an IPv6
// address). Notifications:
// - Connect: once per connection attempt, with the attempt's error (0 = ok);
// - Close: once, when the peer has closed its side (possibly with data still
//   queued to be read);
// - Read: when bytes arrive; it is not repeated while they wait unread, only
//   after the next Recv;
// - Accept: when a listening socket has a connection pending.
// Failed calls return -1 (or false, or null) and set LastSocketError().
// Ports are in host byte order, addresses in network byte order.
class TcpSocket {
 public:
  explicit TcpSocket(SocketEventSink& sink);
  ~TcpSocket();  // closes the socket without notifying
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;

  // Sends later notifications to sink instead.
  void SetSink(SocketEventSink& sink);

  // Creates a fresh socket, closing any previous one. resetOnClose sets a
  // zero linger, so that closing resets the connection.
  bool Open(bool resetOnClose);
  bool IsValid() const;

  // Starts a connection; normally fails with kSockEWOULDBLOCK and the
  // outcome arrives as the Connect notification (also when it is known at
  // once: a refused connection is notified, not returned).
  int Connect(std::uint32_t addressNetOrder, std::uint16_t port);
  // The same for either family: a socket of the other family is first made
  // afresh (with the options of the last Open).
  int Connect(const IpAddress& address, std::uint16_t port);
  // Never raises SIGPIPE; a send on a dead connection fails instead.
  long Send(const char* bytes, std::size_t length);
  // peek leaves the bytes queued. 0 = the peer has closed. Every call arms
  // the Read notification again.
  long Recv(char* buffer, std::size_t length, bool peek);
  // Closes the descriptor; IsValid() is false afterwards.
  bool Close();

  // Listening side, for Accept.
  bool Listen(std::uint32_t addressNetOrder, std::uint16_t port, int backlog);
  std::uint16_t LocalPort() const;
  // Takes a pending connection; the new socket reports to newSink.
  std::unique_ptr<TcpSocket> Accept(SocketEventSink& newSink, std::uint32_t& peerAddressNetOrder,
                                    std::uint16_t& peerPort);

  // TLS over the connected socket. StartTls sets a client session up (false,
  // with TlsError(), when the options cannot be used); TlsHandshake makes
  // one non-blocking step of the handshake: the caller waits with
  // WaitReadable or WaitWritable as the step asks, and after Done reads
  // TlsPeerInfo() before it sends anything. From StartTls on, Send and Recv
  // carry the session's plaintext (peek included), Recv returning 0 when the
  // peer closed the session, and the waits count the bytes that the session
  // holds as readable. Close and Open end the session.
  bool StartTls(const TlsOptions& options);
  TlsStep TlsHandshake();
  bool TlsActive() const;
  const TlsPeer& TlsPeerInfo() const;
  const std::string& TlsError() const;

  // Pumps events until the socket is readable (or the peer closed), an event
  // was processed, or maxMs elapsed. Never spins. When the socket is readable
  // already (or a TLS session holds bytes) it pumps the pending events once
  // and returns. A TLS session that waits to send (a renegotiation, say)
  // waits for writability instead, and the other way round in WaitWritable.
  void WaitReadable(int maxMs);
  // Pumps events until the socket can take more bytes, or maxMs elapsed.
  void WaitWritable(int maxMs);

  int Handle() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The error number of the last failed socket call on this thread.
int LastSocketError();

// Whether text is an IPv6 address literal ("::1", "2001:db8::1"), without
// brackets.
bool IsIPv6Literal(const std::string& text);

// Converts a dotted IPv4 text; returns false for anything else.
bool ParseDottedAddress(const std::string& text, std::uint32_t& addressNetOrder);

// Asynchronous look-up of a host name (every address). The completion
// reaches sink.OnLookupAddresses while events are pumped. Destroying the object
// or starting another look-up drops the completion of the earlier one.
class HostLookup {
 public:
  HostLookup();
  ~HostLookup();
  HostLookup(const HostLookup&) = delete;
  HostLookup& operator=(const HostLookup&) = delete;

  void Start(const std::string& hostName, SocketEventSink& sink);
  void Cancel();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
