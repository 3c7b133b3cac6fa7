#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Component.h"
#include "platform/Exception.h"
#include "platform/Socket.h"
#include "platform/Timer.h"

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

// "10061:Connection refused", "Unknown Error No. 12345", or empty for 0.
std::string SocketErrorText(int errorNumber);

// Periodic timer component; despite the name it starts no thread: ticks
// arrive through the event loop.
class TThreadTimer : public TComponent {
 public:
  explicit TThreadTimer(TComponent* owner);
  ~TThreadTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  std::uint32_t Interval() const { return interval_; }
  void SetInterval(std::uint32_t value);
  const TNotifyEvent& OnTimer() const { return onTimer_; }
  void SetOnTimer(TNotifyEvent handler);

  // Stops the system timer and starts it again when Interval > 0, Enabled
  // and OnTimer is assigned. Raises Exception "No Timer" when refused.
  void UpdateTimer();
  virtual void FireTimer();

 private:
  bool enabled_ = true;
  std::uint32_t interval_ = 1000;
  TNotifyEvent onTimer_;
  std::unique_ptr<platform::Timer> timerSink_;
};

// Client socket with blocking-style operations on top of a non-blocking
// socket: every wait keeps the event loop turning (PumpEvents), so handlers
// may run, and may cancel, while an operation waits.
class TLineSocket : public TComponent, private platform::SocketEventSink {
 public:
  static constexpr std::size_t kLineBufferSize = 65540;

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

  int TimeOut() const { return timeOut_; }
  void SetTimeOut(int milliseconds) { timeOut_ = milliseconds; }
  bool IsConnected() const { return isConnected_; }
  const std::string& StatusText() const { return statusText_; }
  bool CancelRequested() const { return cancelRequested_; }
  bool TimedOut() const { return timedOut_; }
  // Address part of RemoteAddress in network byte order; 0 when unresolved.
  std::uint32_t RemoteAddress() const { return remoteAddress_; }
  std::uint16_t RemotePort() const { return remotePort_; }

  // Virtual operations, in slot order.
  virtual std::unique_ptr<platform::TcpSocket> Accept();
  virtual void Connect();
  virtual void Disconnect();
  virtual void Transaction(const std::string& command, std::string& reply);
  virtual void Abort();

  void CheckConnection();
  void ResolveHost();
  void Write(const std::string& text);
  void Writeln(const std::string& text);
  // length 0 = up to the first zero byte.
  void SendBuffer(const char* bytes, std::uint16_t length);
  void ReadLn(std::string& line);
  void Cancel();
  void ClearInput();
  bool DataAvailable();
  void CloseCurrentSocket();
  void LookupErrorMessage(std::uint16_t errorNumber, std::string& text);
  void CheckSocketError(int expected);
  void ReportStatus(std::uint8_t level, const std::string& text);

  void StartTimeout();
  void StopTimeout();
  void TimeoutElapsed(TComponent* Sender);

  TThreadTimer& TimeoutTimer() { return *timeoutTimer_; }

 protected:
  // Turns a platform notification into the component's state changes.
  void HandleSocketEvent(platform::SocketEventKind kind, int errorCode);

 private:
  void OnSocketEvent(platform::SocketEventKind kind, int errorCode) override;
  void OnLookupDone(int errorCode, std::uint32_t addressNetOrder) override;
  void InitializeSockets();
  void OpenFreshSocket(bool resetOnClose);

  std::unique_ptr<char[]> lineBuffer_;
  std::unique_ptr<platform::TcpSocket> socket_;
  std::unique_ptr<platform::HostLookup> lookup_;
  std::unique_ptr<TThreadTimer> timeoutTimer_;
  std::uint32_t remoteAddress_ = 0;
  std::uint16_t remotePort_ = 0;
  std::uint32_t lookupAddress_ = 0;
  std::string statusText_;
  int timeOut_ = 0;
  bool isConnected_ = false;
  bool cancelRequested_ = false;
  bool timedOut_ = false;
  bool lastEventOk_ = true;
  bool lookupDone_ = false;
  bool shuttingDown_ = false;
  bool destroying_ = false;
  bool connectFailed_ = false;
};

}  // namespace net
