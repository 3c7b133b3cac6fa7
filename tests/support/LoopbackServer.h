#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

class QObject;
class QSocketNotifier;

namespace testsupport {

// A TCP server on 127.0.0.1 that plays a script on the test's own thread,
// one step at a time, while the event loop turns (inside the waits of the
// code under test, or in PumpUntil). Because it only acts when events are
// pumped, what the client sees is decided by the script, not by timing: a
// reply sent in two steps with a Pause between arrives in two pieces.
//
// It serves one connection at a time: an Accept step takes the next one
// from the backlog, and the steps after it, up to the next Accept, are that
// connection's. Everything the client sends is read as soon as it arrives.
// ScriptedPop3Server plays its text scripts through it.
//
// It never blocks, and it needs the event loop to turn: nothing in a test
// may call a blocking socket operation that waits for it.
class LoopbackServer {
 public:
  explicit LoopbackServer(int backlog = 5);
  ~LoopbackServer();  // closes the connection and the listener at once
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  static constexpr const char* kHost = "127.0.0.1";
  std::uint16_t Port() const { return port_; }

  // Script steps, carried out in the order given.
  LoopbackServer& Accept();                           // takes the next connection
  LoopbackServer& Send(const std::string& bytes);     // one write
  LoopbackServer& Pause(int passes = 1);              // lets the event loop turn
  LoopbackServer& Delay(int ms);                      // lets ms pass, by a timer
  LoopbackServer& AwaitBytes(std::size_t total);      // until total bytes came in
  // Until ready() holds or the client has closed; ready() is asked again
  // whenever something happens, after what arrived has been read.
  LoopbackServer& Await(std::function<bool()> ready);
  LoopbackServer& Close();                            // graceful close (FIN)
  LoopbackServer& Reset();                            // abortive close (RST)
  LoopbackServer& Run(std::function<void()> action);  // any action

  // A Send that finds the client gone (reset, or closed for good) ends the
  // connection as EndConnection does; any other send error raises
  // std::runtime_error.

  // For actions and conditions of steps:
  // Reads whatever the client has sent by now into Received(); never waits.
  void ReadArrived();
  // Closes the connection now and skips the rest of its steps, up to the
  // next Accept.
  void EndConnection();
  // From now on a connection that arrives when no step is left is accepted,
  // closed at once, and reported to refused (by default it waits in the
  // backlog for an Accept added later).
  void RefuseUnscripted(std::function<void()> refused);

  bool ScriptDone() const { return steps_.empty(); }
  // Every byte the current (or last) connection sent.
  const std::string& Received() const { return received_; }
  bool PeerClosed() const { return peerClosed_; }  // end of stream or reset seen
  bool PeerReset() const { return peerReset_; }    // the client reset the connection
  int Accepted() const { return accepted_; }       // by Accept steps
  bool Connected() const { return connectionFd_ >= 0; }  // a connection is open here
  bool ConnectionWaiting() const;  // a client connection waits in the backlog

 private:
  struct Step {
    bool accepts;               // an Accept: a new connection's steps begin
    std::function<bool()> run;  // true = done, false = wait for an event
  };
  LoopbackServer& Add(std::function<bool()> run, bool accepts = false);
  void ScheduleAdvance();
  void Advance();
  bool TakeConnection();
  void RefuseWaiting();
  void SkipRestOfConnection();
  void DropConnection();

  int listenFd_ = -1;
  int connectionFd_ = -1;
  std::uint16_t port_ = 0;
  std::deque<Step> steps_;
  std::string received_;
  std::function<void()> refused_;
  bool peerClosed_ = false;
  bool peerReset_ = false;
  bool advancing_ = false;
  bool advanceScheduled_ = false;
  bool connectionEnded_ = false;  // EndConnection ran inside the current step
  int accepted_ = 0;
  std::unique_ptr<QObject> context_;
  std::unique_ptr<QSocketNotifier> listenNotifier_;
  std::unique_ptr<QSocketNotifier> connectionNotifier_;
  std::unique_ptr<QSocketNotifier> writeNotifier_;
};

// A port on 127.0.0.1 where nothing listens: a connection to it is refused.
class RefusingPort {
 public:
  RefusingPort();
  ~RefusingPort();
  RefusingPort(const RefusingPort&) = delete;
  RefusingPort& operator=(const RefusingPort&) = delete;
  std::uint16_t Port() const { return port_; }

 private:
  int fd_ = -1;
  std::uint16_t port_ = 0;
};

// A port on 127.0.0.1 whose listener never answers a new connection
// request: its backlog is full, so the kernel drops every further SYN and
// the connecting side waits until it gives up.
class SilentPort {
 public:
  SilentPort();
  ~SilentPort();
  SilentPort(const SilentPort&) = delete;
  SilentPort& operator=(const SilentPort&) = delete;
  std::uint16_t Port() const { return port_; }

 private:
  int listenFd_ = -1;
  int fillerFd_ = -1;
  std::uint16_t port_ = 0;
};

// A port on 127.0.0.1 whose listener lets connections complete but never
// takes them: nothing sent there is ever read, so a sender's buffers fill.
class IdlePort {
 public:
  IdlePort();
  ~IdlePort();
  IdlePort(const IdlePort&) = delete;
  IdlePort& operator=(const IdlePort&) = delete;
  std::uint16_t Port() const { return port_; }

 private:
  int fd_ = -1;
  std::uint16_t port_ = 0;
};

}  // namespace testsupport
