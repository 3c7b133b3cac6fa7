#pragma once

#include <exception>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "pop3/Pop3Client.h"
#include "tests/support/ScriptedPop3Server.h"

namespace pop3test {

using platform::TComponent;

// The message of the E that action raises, "" when it raises nothing; an
// exception of another type passes through and fails the test.
template <typename E = std::exception, typename Action>
std::string FailureOf(Action action) {
  try {
    action();
  } catch (const E& error) {
    return error.what();
  }
  return "";
}

// A client pointed at a scripted server, user "bob", password "secret".
// TearDown closes the client and then checks that the server saw every
// conversation through without a surprise.
class ScriptedClientTest : public ::testing::Test {
 protected:
  // USER, PASS and STAT answered with two messages; with the greeting
  // before them, kLogIn.
  static constexpr const char* kLogInAfterGreeting = R"(
    C: USER bob
    S: +OK
    C: PASS secret
    S: +OK logged in
    C: STAT
    S: +OK 2 320
  )";
  static inline const std::string kLogIn = std::string("S: +OK POP3 ready\n") + kLogInAfterGreeting;
  static constexpr const char* kQuit = R"(
    C: QUIT
    S: +OK bye
  )";

  void SetUp() override {
    client_ = std::make_unique<pop3::TPop3Client>();
    client_->Host = testsupport::ScriptedPop3Server::Host();
    client_->Port = server_.Port();
    client_->UserID = "bob";
    client_->Password = "secret";
  }

  void TearDown() override {
    client_.reset();
    EXPECT_TRUE(server_.WaitUntilDone()) << "a scripted conversation did not end";
    for (const auto& failure : server_.Failures()) ADD_FAILURE() << "server: " << failure;
  }

  // Queues the log-in, then more, then (when quit) the QUIT exchange.
  void Expect(const std::string& more, bool quit = true) {
    server_.AddConversation(std::string(kLogIn) + more + (quit ? kQuit : ""));
  }

  pop3::TPop3Client& client() { return *client_; }

  testsupport::ScriptedPop3Server server_;
  std::unique_ptr<pop3::TPop3Client> client_;
};

}  // namespace pop3test
