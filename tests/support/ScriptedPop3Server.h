#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/LoopbackServer.h"

namespace testsupport {

// A POP3 server that plays scripted conversations, for the faults a real
// server does not produce. It listens on 127.0.0.1 (a free port) and serves
// its connections one after the other on the test's own thread: each script
// is compiled into the steps of a LoopbackServer, which carries them out
// while the event loop turns. The client under test pumps events in all of
// its waits, so the server answers while the client waits for it; a test
// must not block the thread in anything that does not pump events (a
// blocking socket call, a thread joined, a process waited for) while it
// expects the server to act.
//
// A script is text, one step per line (leading blanks are ignored, as are
// empty lines and lines starting with '#'):
//
//   S: text     send text followed by CR LF. Consecutive S: lines go out
//               together in one write.
//   S1: text    send text and CR LF one byte at a time, one byte for each
//               turn of the event loop.
//   RAW: text   send text as it is, no CR LF added; escapes \r \n \t \\ \xHH.
//   C: text     the client must send this line (compared without its CR LF).
//               A text ending in '*' matches any line starting with the rest.
//   IDLE        the client must have sent nothing beyond the lines read so
//               far: no byte of a further line has arrived by now. The
//               client runs on the same thread, so anything it wrote before
//               it next waited for an answer is caught for certain.
//   WAIT ms     send nothing for ms milliseconds (a slow server), by a timer:
//               the event loop, and the client, go on meanwhile.
//   CLOSE       close the connection.
//   STALL       answer nothing more; the connection stays open until the
//               client closes it or the server is destroyed.
//
// When a client line differs from the expected one, or arrives after the
// last step, the server records a failure and closes the connection, so the
// client sees a closed connection instead of waiting for ever. After the last
// step the server keeps reading (and recording) until the client closes.
// A client line is recorded when a step takes it.
class ScriptedPop3Server {
 public:
  ScriptedPop3Server();
  ~ScriptedPop3Server() = default;  // closes every connection at once
  ScriptedPop3Server(const ScriptedPop3Server&) = delete;
  ScriptedPop3Server& operator=(const ScriptedPop3Server&) = delete;

  std::uint16_t Port() const { return engine_.Port(); }
  static const char* Host() { return LoopbackServer::kHost; }

  // Queues the script of the next connection; connections are served in the
  // order their scripts were added. A connection that finds no script queued
  // is closed at once and recorded as a failure. Raises
  // std::invalid_argument for a script line it cannot read.
  void AddConversation(const std::string& script);

  // Pumps events (at most timeoutMs) until every queued conversation has
  // ended: the client closed, or the script closed.
  bool WaitUntilDone(int timeoutMs = 10000);

  // What the server saw. The server acts only while events are pumped, so a
  // client that has already returned may have left its last line, its close
  // or the failure it caused unread: these accessors first pump events (at
  // most kSettleMs) until no conversation is in progress and no connection
  // waits to be accepted, then read.
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
  // that acts once a command has arrived): counts without pumping.
  int CountReceivedSoFar(const std::string& prefix) const;

 private:
  void Expect(const std::string& expected);
  void Idle();
  void Stall();
  void Drain();
  bool LineArrived() const;
  bool TakeLine(std::string& line);
  void Fail(const std::string& text);
  void Settle() const;

  std::vector<std::string> received_;
  std::vector<std::string> failures_;
  std::size_t taken_ = 0;  // bytes of the connection's input taken as lines
  // Last, so that it goes first: its steps use the members above.
  LoopbackServer engine_;
};

}  // namespace testsupport
