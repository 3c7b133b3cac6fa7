#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <typeinfo>

#include "tests/support/LoopbackServer.h"
#include "tests/support/TestEnvironment.h"
#include "net/LineSocket.h"

namespace linesockettest {

inline std::uint32_t Loopback() { return htonl(INADDR_LOOPBACK); }

// The message of the exception that action raises, when it is exactly of
// class E; otherwise a description of what happened instead.
template <class E, class Action>
std::string RaisedBy(Action&& action) {
  try {
    action();
  } catch (const E& error) {
    if (typeid(error) != typeid(E)) return std::string("raised a subclass: ") + typeid(error).name();
    return error.what();
  } catch (const std::exception& error) {
    return std::string("raised another class: ") + typeid(error).name() + ": " + error.what();
  }
  return "raised nothing";
}

// A component with counters on its events.
class LineSocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    socket = std::make_unique<net::TLineSocket>(nullptr);
    socket->OnConnect = [this](net::TComponent* sender) {
      EXPECT_EQ(sender, socket.get());
      ++connects;
    };
    socket->OnDisconnect = [this](net::TComponent*) { ++disconnects; };
    socket->OnConnectionFailed = [this](net::TComponent*) { ++failures; };
    socket->OnHostResolved = [this](net::TComponent*) { ++resolved; };
  }

  void ConnectTo(std::uint16_t port, const std::string& host = testsupport::LoopbackServer::kHost) {
    socket->Host = host;
    socket->Port = port;
    socket->Connect();
  }

  std::string ReadLine() {
    std::string line;
    socket->ReadLn(line);
    return line;
  }

  // Runs read, a wait for input, after a pending Cancel: the wait must
  // raise "Socket readln aborted" and clear the request.
  ::testing::AssertionResult AbortedByAPendingCancel(const std::function<void()>& read) {
    socket->Cancel();
    return ReadlnAborted(read, "a pending cancel");
  }

  // Runs read while a handler requests a cancel: the wait must raise
  // "Socket readln aborted", clear the request and keep the connection.
  ::testing::AssertionResult AbortedByACancelFromAHandler(const std::function<void()>& read) {
    testsupport::RunSoon([this] { socket->Cancel(); });
    ::testing::AssertionResult result = ReadlnAborted(read, "a cancel from a handler");
    if (result && !socket->IsConnected()) return ::testing::AssertionFailure() << "the connection was closed";
    return result;
  }

  // Runs read with a 50 ms time-out against a server that sends no line
  // end: the wait must raise "Socket readln aborted" as timed out, with no
  // cancel left pending and the timer stopped.
  ::testing::AssertionResult AbortedByATimeOut(const std::function<void()>& read) {
    socket->SetTimeOut(50);
    ::testing::AssertionResult result = ReadlnAborted(read, "a time-out");
    if (!result) return result;
    if (!socket->TimedOut()) return ::testing::AssertionFailure() << "TimedOut is not set";
    if (socket->TimeoutTimer().Enabled()) return ::testing::AssertionFailure() << "the time-out timer still runs";
    return result;
  }

  std::unique_ptr<net::TLineSocket> socket;
  int connects = 0;
  int disconnects = 0;
  int failures = 0;
  int resolved = 0;

 private:
  ::testing::AssertionResult ReadlnAborted(const std::function<void()>& read, const char* cause) {
    const std::string raised = RaisedBy<net::EAbortError>(read);
    if (raised != "Socket readln aborted") {
      return ::testing::AssertionFailure() << "after " << cause << " the wait gave \"" << raised
                                           << "\" instead of \"Socket readln aborted\"";
    }
    if (socket->CancelRequested()) return ::testing::AssertionFailure() << "the cancel request is still set";
    return ::testing::AssertionSuccess();
  }
};

}  // namespace linesockettest
