#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// A POP3 server that plays scripted conversations, for the faults a real
// server does not produce. It listens on 127.0.0.1 (a free port) and serves
// its connections one after the other from a thread of its own, so the client
// under test may block in its own wait loop on the test thread.
//
// A script is text, one step per line (leading blanks are ignored, as are
// empty lines and lines starting with '#'):
//
//   S: text     send text followed by CR LF. Consecutive S: lines go out
//               together in one packet.
//   S1: text    send text and CR LF one byte at a time.
//   RAW: text   send text as it is, no CR LF added; escapes \r \n \t \\ \xHH.
//   C: text     the client must send this line (compared without its CR LF).
//               A text ending in '*' matches any line starting with the rest.
//   IDLE        the client must have sent nothing beyond the lines read so
//               far: no byte of a further line is buffered or readable now.
//               A command sent ahead of its turn in the same write as the
//               ones before it is caught for certain, one sent later only
//               when it has arrived.
//   WAIT ms     send nothing for ms milliseconds (a slow server).
//   CLOSE       close the connection.
//   STALL       answer nothing more; the connection stays open until the
//               client closes it or the server is stopped.
//
// When a client line differs from the expected one, or arrives after the
// last step, the server records a failure and closes the connection, so the
// client sees a closed connection instead of waiting for ever. After the last
// step the server keeps reading (and recording) until the client closes.
class ScriptedPop3Server {
 public:
  ScriptedPop3Server();
  ~ScriptedPop3Server();  // stops the thread; open connections are closed
  ScriptedPop3Server(const ScriptedPop3Server&) = delete;
  ScriptedPop3Server& operator=(const ScriptedPop3Server&) = delete;

  std::uint16_t Port() const { return port_; }
  static const char* Host() { return "127.0.0.1"; }

  // Queues the script of the next connection; connections are served in the
  // order their scripts were added. A connection that finds no script queued
  // is closed at once and recorded as a failure.
  void AddConversation(const std::string& script);

  // Waits (at most timeoutMs) until every queued conversation has ended: the
  // client closed, or the script closed. Does not need the event loop.
  bool WaitUntilDone(int timeoutMs = 10000);

  // What the server saw. The server records on its own thread, so a client
  // that has already returned may still have its last line, its close or the
  // failure it caused in flight: these accessors first wait (at most
  // kSettleMs) until no conversation is in progress, then read.
  static constexpr int kSettleMs = 10000;
  // Every line received from clients, in order, without CR LF.
  std::vector<std::string> Received() const;
  bool ReceivedLine(const std::string& line) const;
  // Lines received that start with prefix (e.g. "DELE").
  int CountReceived(const std::string& prefix) const;
  // Script mismatches and protocol surprises, one text each.
  std::vector<std::string> Failures() const;
  // Conversations that have ended (a connection that found no script queued
  // is not counted).
  int ConnectionsServed() const;

  // For polling while a conversation is still going on (e.g. from a timer
  // that acts once a command has arrived): counts without waiting.
  int CountReceivedSoFar(const std::string& prefix) const;

 private:
  struct Step {
    enum Kind { Send, SendBytewise, Raw, Expect, Idle, Wait, Close, Stall } kind;
    std::string text;
  };
  using Script = std::vector<Step>;

  static Script Parse(const std::string& script);
  void Serve();
  void Converse(int client, const Script& script);
  bool ReadLine(int client, std::string& buffer, std::string& line);
  bool WaitReadable(int fd);
  bool SendAll(int fd, const std::string& bytes);
  void Record(const std::string& line);
  void Fail(const std::string& text);
  // Waits (bounded) until the thread is between connections; returns the
  // held lock either way, so that the caller reads what is there.
  std::unique_lock<std::mutex> Settled() const;
  int CountLocked(const std::string& prefix) const;

  int listenFd_ = -1;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  std::uint16_t port_ = 0;
  std::thread thread_;

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::deque<Script> pending_;
  int queued_ = 0;
  int finished_ = 0;
  bool stopping_ = false;
  bool conversing_ = false;  // a connection is accepted and not yet closed
  std::vector<std::string> received_;
  std::vector<std::string> failures_;
};

}  // namespace testsupport
