#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Component.h"
#include "platform/core/Exception.h"
#include "platform/core/Socket.h"
#include "platform/core/Timer.h"
#include "platform/core/WindowTimer.h"

namespace net {

using platform::Exception;
using platform::TComponent;

// Failures of the transport: fixed texts ("Connection Failed", ...) or a
// socket error number, a colon and its text.
class ESockError : public Exception {
 public:
  using Exception::Exception;
};

// A wait or a send that was cancelled (or timed out).
class EAbortError : public ESockError {
 public:
  using ESockError::ESockError;
};

// The connection ended during the TLS handshake, closed or reset by the
// server or the network: nothing is known of the server's TLS, and trying
// again later may well succeed.
class ETlsHandshakeCut : public ESockError {
 public:
  using ESockError::ESockError;
};

// The server's certificate was refused: the TLS handshake finished, but
// nothing was sent over it and the connection is closed. Problem says why
// in words; Fingerprint is the certificate's SHA-256 fingerprint.
class ETlsCertificateError : public ESockError {
 public:
  ETlsCertificateError(const std::string& problem, const std::string& fingerprint)
      : ESockError("The server's certificate is refused: " + problem + "."), problem_(problem),
        fingerprint_(fingerprint) {}
  const std::string& Problem() const { return problem_; }
  const std::string& Fingerprint() const { return fingerprint_; }

 private:
  std::string problem_;
  std::string fingerprint_;
};

// Raised where a length does not fit the transfer area (the range check).
class ERangeError : public Exception {
 public:
  using Exception::Exception;
};

using TNotifyEvent = std::function<void(TComponent* Sender)>;
using THandlerEvent = std::function<void(bool& Handled)>;
using TOnStatus = std::function<void(TComponent* Sender, const std::string& Status)>;
using TOnHostResolved = std::function<void(TComponent* Sender)>;

// Status levels of ReportStatus.
enum StatusLevel : std::uint8_t {
  kStatusReply = 1,   // server reply lines and client milestones
  kStatusSocket = 4,  // socket actions
  kStatusTrace = 8,   // every operation
};

// Field n (from 1) of text split at every occurrence of separator; empty
// when there is no such field.
std::string NthWord(const std::string& text, char separator, int n);

// The line that ends a POP3 multi-line answer, as received: "." CR LF or
// "." LF. A dot followed by anything else ("..", ". ") is an ordinary line.
bool IsAnswerTerminator(std::string_view line);

// "10061:Connection refused", "Unknown Error No. 12345", or empty for 0.
std::string SocketErrorText(int errorNumber);

// Periodic timer component: the socket's time-out. Despite the name it
// starts no thread: it is the window's repeating timer (ticks arrive through
// the event loop) with the component's handler type and a refused start
// raised as "No Timer".
class TThreadTimer : public TComponent {
 public:
  explicit TThreadTimer(TComponent* owner);
  ~TThreadTimer() override;

  // Setting Enabled or Interval to a different value restarts the period
  // (UpdateTimer); setting the same value does nothing. Setting OnTimer
  // always restarts. Each may raise what UpdateTimer raises.
  bool Enabled() const { return timer_.Enabled(); }
  void SetEnabled(bool value);
  std::uint32_t Interval() const { return timer_.Interval(); }
  void SetInterval(std::uint32_t value);
  const TNotifyEvent& OnTimer() const { return onTimer_; }
  void SetOnTimer(TNotifyEvent handler);

  // Stops the system timer and starts it again when Interval > 0, Enabled
  // and OnTimer is assigned. Raises Exception "No Timer" when refused.
  void UpdateTimer();
  // Runs OnTimer on each tick; an exception it raises goes to the
  // application's handler for unhandled errors, and the timer goes on.
  virtual void FireTimer();

 private:
  void RaiseWhenRefused() const;

  TNotifyEvent onTimer_;
  platform::WindowTimer timer_{1000, true};
};

// Client socket with blocking-style operations on top of a non-blocking
// socket: every wait keeps the event loop turning (PumpEvents), so handlers
// may run, and may cancel, while an operation waits.
//
// Waits end on their own condition, on Cancel (CancelRequested) or on the
// time-out (TimeOut milliseconds per wait, 0 = none; TimedOut). Failures
// raise ESockError with a fixed text or "number:text" of the socket error;
// a cancelled or timed-out ReadLn or SendBuffer raises EAbortError.
//
// Destruction: the destructor runs this class's own Abort and Cancel, then
// closes the socket without firing OnDisconnect. A virtual call made from a
// destructor does not reach a derived class, so a derived component whose
// Abort does more (a POP3 client closing its session) calls its own Abort
// in its own destructor.
class TLineSocket : public TComponent, private platform::SocketEventSink {
 public:
  static constexpr std::size_t kLineBufferSize = 65540;

  // Raises ESockError "Initializaton of windows sockets failed" when no
  // socket can be made.
  explicit TLineSocket(TComponent* owner);
  ~TLineSocket() override;

  // Published properties and events.
  std::string Host;
  int Port = 0;
  int ReportLevel = 0;
  TNotifyEvent OnConnect;
  TNotifyEvent OnDisconnect;
  THandlerEvent OnInvalidHost;
  TOnHostResolved OnHostResolved;
  TOnStatus OnStatus;
  TNotifyEvent OnConnectionFailed;

  // Declared here, published by the POP3 client.
  THandlerEvent OnConnectionRequired;
  std::int32_t BytesTotal = 0;
  std::int32_t BytesRecvd = 0;
  TNotifyEvent OnPacketRecvd;

  // What StartTls accepts of the server besides the system's trust store:
  // an extra CA file (PEM), and a pinned SHA-256 fingerprint that replaces
  // the chain check. The certificate must name Host in every case but the
  // pinned one.
  std::string TlsCAFile;
  std::string TlsFingerprint;

  // Milliseconds per wait, 0 = none; a negative value makes the next wait
  // raise ERangeError.
  int TimeOut() const { return timeOut_; }
  void SetTimeOut(int milliseconds) { timeOut_ = milliseconds; }
  bool IsConnected() const { return isConnected_; }
  const std::string& StatusText() const { return statusText_; }
  bool CancelRequested() const { return cancelRequested_; }
  bool TimedOut() const { return timedOut_; }
  // The socket error (SocketError number) with which the last Connect
  // failed to reach the host: that of the last address tried. 0 when it
  // connected, or failed in another way (look-up, time-out, cancel).
  int ConnectError() const { return connectError_; }
  // Address part of RemoteAddress in network byte order; 0 when unresolved.
  std::uint32_t RemoteAddress() const { return remoteAddress_; }
  // The server's address is a loopback one (127.0.0.0/8, ::1).
  bool RemoteIsLoopback() const;
  // The address connected to (or last tried), as text; IPv6 ones too.
  std::string RemoteAddressText() const { return currentAddress_.Text(); }
  // Port part of RemoteAddress, host byte order.
  std::uint16_t RemotePort() const { return remotePort_; }

  // Virtual operations, in slot order.

  // Waits (no time-out of its own) until a connection is pending on a
  // listening component (see Listen), a host look-up has completed, or a
  // cancel; then takes the connection. The accepted socket reports to no
  // one until its owner calls SetSink. Raises ESockError "Accepting
  // Canceled" (the cancel stays pending), "Error creating Data Connection",
  // or the socket error of the accept.
  virtual std::unique_ptr<platform::TcpSocket> Accept();
  // Resolves Host (OnInvalidHost may ask once for another try) and connects
  // to Port, trying every address of the host in turn until one answers,
  // all within one TimeOut. Raises "Already connected", "Null Remote Address", "Host Lookup
  // Timed Out"/"Canceled", the socket error of the connect call, or, after
  // firing OnConnectionFailed, "Connection Timed out", "Connection Canceled"
  // or "Connection Failed". A failed attempt leaves a fresh socket behind.
  // A command deadline (SetCommandDeadline) belongs to the connection it
  // was set in: Connect clears it.
  virtual void Connect();
  // Closes the socket (connected or not), fires OnDisconnect and makes a
  // fresh one.
  virtual void Disconnect();
  // Writeln(command), then ReadLn(reply); the reply is reported at level 1.
  virtual void Transaction(const std::string& command, std::string& reply);
  // The cancel that the time-out uses; derived components add to it.
  virtual void Abort();

  // Turns the open connection into a TLS session (the handshake waits as
  // Connect does: events pumped, TimeOut and Cancel honoured) and judges the
  // server's certificate before anything is sent over it. On every failure
  // the connection is closed, so nothing more reaches the server (no
  // plaintext fallback): ESockError "TLS Handshake Timed Out", "TLS
  // Handshake Canceled", "Not Connected" or the handshake's failure in
  // words; ETlsHandshakeCut when the connection ended under the handshake;
  // ETlsCertificateError when the certificate is refused.
  void StartTls();
  // "TLSv1.3" and the like while the connection runs over TLS, else empty.
  std::string TlsVersion() const;

  // Raises Exception "Not Connected" unless connected, after giving
  // OnConnectionRequired one chance to connect.
  void CheckConnection();
  // Fills RemoteAddress from Host: a dotted address or an IPv6 literal
  // directly, a name by an asynchronous look-up that keeps every address,
  // IPv6 and IPv4 in the resolver's order (fires OnHostResolved); Connect
  // tries them in turn. RemoteAddress is the first IPv4 one (0 when there
  // is none). Raises "Host Lookup Timed Out", "Host Lookup Canceled" or
  // "Host Lookup Failed".
  void ResolveHost();
  // Sends text up to its first zero byte; ERangeError when that exceeds
  // 65535 bytes (nothing is sent then).
  void Write(const std::string& text);
  void Writeln(const std::string& text);
  // length 0 = up to the first zero byte. Waits for send space while the
  // connection takes nothing; EAbortError "Socket send aborted" on a cancel
  // (pending or arriving meanwhile) or a time-out.
  void SendBuffer(const char* bytes, std::uint16_t length);
  // Reads one line, terminator included; takes only the line's bytes, later
  // ones stay queued. Empty when the connection is closed. EAbortError
  // "Socket readln aborted" on a cancel or a time-out (a queued line stays
  // queued); ERangeError for a line longer than kLineBufferSize.
  void ReadLn(std::string& line);
  // Reads the lines of a multi-line answer in bulk: replaces lines by the
  // whole lines that are queued, each with its terminator as ReadLn returns
  // it, at most maxLines of them (0 counts as 1), and takes from the socket
  // exactly their bytes; a partial last line stays queued. With
  // stopAtTerminator the POP3 terminating line ("." CR LF or "." LF) ends
  // the batch as its last line, and no byte after it is taken. So nothing
  // is held in the component between calls, as with ReadLn.
  // While no whole line is queued it waits as ReadLn does (the start of the
  // first line taken meanwhile becomes part of it). Returns false, lines
  // empty, when the connection is closed (where ReadLn returns ""), true
  // otherwise (at least one line). Raises what ReadLn raises, in the same
  // situations: EAbortError "Socket readln aborted" on a cancel or a
  // time-out (queued lines stay queued), ERangeError for a first line that
  // reaches maxLineLength bytes without its line feed (kLineBufferSize, as
  // for ReadLn, unless the caller allows longer lines). Reports "ReadLn" at
  // level 8 once per call.
  bool ReadLines(std::vector<std::string>& lines, std::size_t maxLines, bool stopAtTerminator,
                 std::size_t maxLineLength = kLineBufferSize);
  // Requests a cancel: the running wait ends at its next test, or else the
  // next ReadLn or SendBuffer raises (the next Connect just clears it).
  void Cancel();
  // Throws away up to 64 KiB of queued input.
  void ClearInput();
  bool DataAvailable();
  // Closes the socket, fires OnDisconnect and makes a fresh socket (neither
  // during destruction).
  void CloseCurrentSocket();
  void LookupErrorMessage(std::uint16_t errorNumber, std::string& text);
  // Raises ESockError with the text of the last socket error unless it is
  // expected or not above 10000.
  void CheckSocketError(int expected);
  // Delivers text to OnStatus when level <= ReportLevel; handler exceptions
  // are swallowed.
  void ReportStatus(std::uint8_t level, const std::string& text);

  // Makes this component listen on a local address (for Accept); raises
  // ESockError with the socket error on failure.
  void Listen(std::uint32_t addressNetOrder, std::uint16_t port);
  // The local port of the component's socket; 0 when it has none.
  std::uint16_t LocalPort() const;

  // An overall limit for one command, whose answer may take many waits:
  // until the limit is replaced or cleared, every wait ends by the time-out
  // (as TimeOut ends it) once milliseconds have passed from now, however
  // often bytes arrived in between. Only applies while TimeOut is above 0.
  void SetCommandDeadline(std::int64_t milliseconds);
  void ClearCommandDeadline();
  // For a connection that may have died unnoticed (the machine slept): the
  // running wait, and every later one until the next deadline is set, ends
  // by the time-out within milliseconds, unless TimeOut ends it sooner.
  // Nothing while no wait runs.
  void LimitRunningWait(std::int64_t milliseconds);

  // Arm and disarm the time-out of one wait; StartTimeout raises ERangeError
  // for a negative TimeOut and Exception "No Timer" when the system refuses.
  void StartTimeout();
  void StopTimeout();
  // The timer's OnTimer: marks the wait as timed out and calls Abort.
  void TimeoutElapsed(TComponent* Sender);

  TThreadTimer& TimeoutTimer() { return *timeoutTimer_; }

 protected:
  // Turns a platform notification into the component's state changes;
  // exceptions of the handlers it calls are swallowed.
  void HandleSocketEvent(platform::SocketEventKind kind, int errorCode);

 private:
  void OnSocketEvent(platform::SocketEventKind kind, int errorCode) override;
  void OnLookupDone(int errorCode, std::uint32_t addressNetOrder) override;
  void OnLookupAddresses(int errorCode, const std::vector<platform::IpAddress>& addresses) override;
  // One connection attempt to address; true when it came up. Leaves the
  // flags as the wait left them.
  bool TryAddress(const platform::IpAddress& address);
  void InitializeSockets();
  void OpenFreshSocket(bool resetOnClose);
  void ResolveWithRetry();
  void AbandonConnectAttempt();
  // Turns the event loop until done() holds; pumps at least once before
  // the first test.
  void WaitUntil(const std::function<bool()>& done);
  // Receives count bytes for good and appends them to line.
  void TakeInto(std::string& line, std::size_t count);
  // Length of the front of the peeked bytes that a read takes; 0 while they
  // hold no line end it wants.
  using LineEndMeasure = std::function<std::size_t(const char* bytes, std::size_t count)>;
  // The wait of ReadLn and ReadLines: peeks at the queued bytes (firstPeek
  // at first, twice as many after each full peek, never above 64 KiB) until
  // measure finds a line end, and returns measure's length, leaving those
  // bytes queued. Peeked bytes without one belong to the first line: they
  // are taken and appended to head, so a readable socket does not end every
  // later wait at once. Returns 0 when the connection is closed or not
  // connected. EAbortError "Socket readln aborted" on a cancel or a
  // time-out; ERangeError when head reaches maxHead bytes.
  std::size_t WaitForLineEnd(std::string& head, std::size_t firstPeek, const LineEndMeasure& measure,
                             std::size_t maxHead = kLineBufferSize);

  std::unique_ptr<char[]> lineBuffer_;
  std::unique_ptr<platform::TcpSocket> socket_;
  std::unique_ptr<platform::HostLookup> lookup_;
  std::unique_ptr<TThreadTimer> timeoutTimer_;
  std::uint32_t remoteAddress_ = 0;
  std::uint16_t remotePort_ = 0;
  std::uint32_t lookupAddress_ = 0;
  std::vector<platform::IpAddress> addresses_;        // of Host, to try in turn
  std::vector<platform::IpAddress> lookupAddresses_;  // of the last look-up
  platform::IpAddress currentAddress_;
  std::string statusText_;
  int timeOut_ = 0;
  std::optional<std::chrono::steady_clock::time_point> commandDeadline_;
  int connectError_ = 0;
  bool isConnected_ = false;
  bool cancelRequested_ = false;
  bool timedOut_ = false;
  bool lastEventOk_ = true;
  bool lookupDone_ = false;
  bool acceptPending_ = false;
  bool shuttingDown_ = false;
  bool destroying_ = false;
  bool socketResetsOnClose_ = false;  // the current socket has zero linger
};

}  // namespace net
