#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeinfo>

#include "LoopbackServer.h"
#include "TestEnvironment.h"
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

  void ConnectTo(std::uint16_t port, const std::string& host = testkit::LoopbackServer::kHost) {
    socket->Host = host;
    socket->Port = port;
    socket->Connect();
  }

  std::string ReadLine() {
    std::string line;
    socket->ReadLn(line);
    return line;
  }

  std::unique_ptr<net::TLineSocket> socket;
  int connects = 0;
  int disconnects = 0;
  int failures = 0;
  int resolved = 0;
};

}  // namespace linesockettest
