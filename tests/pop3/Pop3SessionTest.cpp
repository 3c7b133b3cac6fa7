// Log-in, sign-off and abort of TPop3Client against scripted conversations.

#include <string>
#include <vector>

#include "tests/pop3/ScriptedClientTest.h"

namespace pop3test {
namespace {

using net::EAbortError;
using net::ESockError;
using platform::Exception;

// The start of a log-in: greeting, USER bob accepted, PASS secret answered
// with passReply.
std::string UpToPassReply(const std::string& passReply, const std::string& greeting = "+OK ready") {
  return "S: " + greeting + "\nC: USER bob\nS: +OK\nC: PASS secret\nS: " + passReply + "\n";
}

class Pop3Session : public ScriptedClientTest {};

TEST_F(Pop3Session, LogsInReadsMailCountAndQuits) {
  Expect("");
  int connected = 0;
  client().OnConnect = [&](TComponent* sender) {
    EXPECT_EQ(sender, client_.get());
    EXPECT_FALSE(client().Busy());
    ++connected;
  };
  client().Connect();
  EXPECT_EQ(client().MailCount(), 2);
  EXPECT_EQ(connected, 1);
  EXPECT_FALSE(client().Busy());
  client().Disconnect();
  EXPECT_FALSE(client().IsConnected());
  EXPECT_EQ(server_.Received(), (std::vector<std::string>{"USER bob", "PASS secret", "STAT", "QUIT"}));
}

struct StatCase {
  const char* name;
  const char* greeting;
  const char* statReply;
  int mailCount;
};

class Pop3SessionStat : public ScriptedClientTest, public ::testing::WithParamInterface<StatCase> {};

TEST_P(Pop3SessionStat, MailCountIsTheFirstNumberOfTheStatReply) {
  const StatCase& c = GetParam();
  server_.AddConversation(UpToPassReply("+OK", c.greeting) + "C: STAT\nS: " + c.statReply + "\nC: QUIT\nS: +OK\n");
  client().Connect();
  EXPECT_EQ(client().MailCount(), c.mailCount);
  client().Disconnect();
}

INSTANTIATE_TEST_SUITE_P(Replies, Pop3SessionStat,
                         ::testing::Values(StatCase{"BareOkGreetingIsAccepted", "+OK", "+OK 0 0", 0},
                                           StatCase{"CountWithoutSize", "+OK ready", "+OK 7", 7},
                                           StatCase{"CountNotANumber", "+OK ready", "+OK many", 0}),
                         [](const ::testing::TestParamInfo<StatCase>& info) { return std::string(info.param.name); });

TEST_F(Pop3Session, RefusedGreetingRaisesTheGreetingAndQuits) {
  server_.AddConversation(R"(
    S: -ERR too busy
    C: QUIT
    S: +OK
  )");
  EXPECT_EQ(FailureOf([&] { client().Connect(); }), "-ERR too busy\r\n");
  EXPECT_FALSE(client().IsConnected());
  EXPECT_FALSE(client().Busy());
}

TEST_F(Pop3Session, RefusedUserWithoutHandlerFailsAuthenticationAndQuits) {
  server_.AddConversation(R"(
    S: +OK ready
    C: USER bob
    S: -ERR no such user
    C: QUIT
    S: +OK
  )");
  int connected = 0;
  client().OnConnect = [&](TComponent*) { ++connected; };
  EXPECT_EQ(FailureOf([&] { client().Connect(); }), "Authentication failed");
  EXPECT_EQ(connected, 0);
  EXPECT_FALSE(client().IsConnected());
}

TEST_F(Pop3Session, RefusedPassAskedOnceThenQuits) {
  server_.AddConversation(UpToPassReply("-ERR [AUTH] Authentication failed.") + R"(
    C: QUIT
    S: +OK
  )");
  int asked = 0;
  client().OnAuthenticationFailed = [&](bool& handled) {
    EXPECT_FALSE(handled);
    EXPECT_TRUE(client().Busy());
    ++asked;
  };
  EXPECT_EQ(FailureOf([&] { client().Connect(); }), "Authentication failed");
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(client().Busy());
}

TEST_F(Pop3Session, HandledRefusalSendsUserAndPassOnceMore) {
  server_.AddConversation(R"(
    S: +OK ready
    C: USER bob
    S: -ERR unknown user
    C: USER alice
    S: +OK
    C: PASS open
    S: +OK
    C: STAT
    S: +OK 1 10
    C: QUIT
    S: +OK
  )");
  client().OnAuthenticationFailed = [&](bool& handled) {
    client().UserID = "alice";
    client().Password = "open";
    handled = true;
  };
  client().Connect();
  EXPECT_EQ(client().MailCount(), 1);
  client().Disconnect();
}

TEST_F(Pop3Session, SecondRefusalFailsWithoutAskingAgain) {
  server_.AddConversation(UpToPassReply("-ERR wrong") + R"(
    C: USER bob
    S: +OK
    C: PASS secret
    S: -ERR wrong again
    C: QUIT
    S: +OK
  )");
  int asked = 0;
  client().OnAuthenticationFailed = [&](bool& handled) {
    ++asked;
    handled = true;
  };
  EXPECT_EQ(FailureOf([&] { client().Connect(); }), "Authentication failed");
  EXPECT_EQ(asked, 1);
}

TEST_F(Pop3Session, RefusedStatRaisesTheReplyAfterQuitAndStillFiresOnConnect) {
  server_.AddConversation(UpToPassReply("+OK") + R"(
    C: STAT
    S: -ERR mailbox locked
    C: QUIT
    S: +OK
  )");
  bool connectedWhenFired = true;
  int fired = 0;
  client().OnConnect = [&](TComponent*) {
    ++fired;
    connectedWhenFired = client().IsConnected();
  };
  EXPECT_EQ(FailureOf([&] { client().Connect(); }), "-ERR mailbox locked\r\n");
  EXPECT_EQ(fired, 1);
  EXPECT_FALSE(connectedWhenFired);
}

TEST_F(Pop3Session, RefusedQuitRaisesButClosesTheConnection) {
  Expect(R"(
    C: QUIT
    S: -ERR cannot commit
  )", false);
  client().Connect();
  EXPECT_EQ(FailureOf([&] { client().Disconnect(); }), "-ERR cannot commit\r\n");
  EXPECT_FALSE(client().IsConnected());
}

TEST_F(Pop3Session, ServerGoneDuringLogInReportsTheClosedConnection) {
  server_.AddConversation(R"(
    S: +OK ready
    C: USER bob
    CLOSE
  )");
  EXPECT_EQ(FailureOf<ESockError>([&] { client().Connect(); }), pop3::kConnectionClosedText);
  EXPECT_FALSE(client().IsConnected());
}

TEST_F(Pop3Session, MissingCredentialsFailBeforeAnyConnection) {
  client().Password = "";
  EXPECT_EQ(FailureOf([&] { client().Connect(); }), "Authentication failed");

  int asked = 0;
  client().OnAuthenticationNeeded = [&](bool&) { ++asked; };
  EXPECT_EQ(FailureOf([&] { client().Connect(); }), "Authentication failed");
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(client().IsConnected());
  EXPECT_EQ(server_.ConnectionsServed(), 0);
}

TEST_F(Pop3Session, HandledButEmptyCredentialsAreSentAsTheyAre) {
  server_.AddConversation(R"(
    S: +OK ready
    C: USER 
    S: +OK
    C: PASS secret
    S: +OK
    C: STAT
    S: +OK 0 0
    C: QUIT
    S: +OK
  )");
  client().UserID = "";
  int asked = 0;
  client().OnAuthenticationNeeded = [&](bool& handled) {
    EXPECT_FALSE(client().Busy());
    ++asked;
    handled = true;
  };
  client().Connect();
  EXPECT_EQ(asked, 1);
  client().Disconnect();
  EXPECT_TRUE(server_.ReceivedLine("USER "));
}

TEST_F(Pop3Session, LineBreaksInCredentialsOrHostAreRefusedBeforeConnecting) {
  client().UserID = "bob\r\nDELE 1";
  EXPECT_NE(FailureOf([&] { client().Connect(); }).find("UserID"), std::string::npos);
  client().UserID = "bob";
  client().Password = "se\ncret";
  EXPECT_NE(FailureOf([&] { client().Connect(); }).find("Password"), std::string::npos);
  client().Password = "secret";
  client().Host = std::string("127.0.0.1\0evil", 14);
  EXPECT_NE(FailureOf([&] { client().Connect(); }).find("Host"), std::string::npos);
  EXPECT_FALSE(client().IsConnected());
  EXPECT_EQ(server_.ConnectionsServed(), 0);
}

TEST_F(Pop3Session, ConnectWhileConnectedKeepsTheSession) {
  Expect("");
  client().Connect();
  int connected = 0;
  client().OnConnect = [&](TComponent*) { ++connected; };
  EXPECT_THROW(client().Connect(), ESockError);
  EXPECT_TRUE(client().IsConnected());
  EXPECT_FALSE(client().Busy());
  EXPECT_EQ(connected, 0);
  client().Disconnect();
}

TEST_F(Pop3Session, DisconnectWithoutSessionDoesNothing) {
  client().Disconnect();
  EXPECT_FALSE(client().IsConnected());
  // A connection made by that Disconnect would be served before this one
  // and reported as a conversation nobody queued.
  Expect("");
  client().Connect();
  client().Disconnect();
  EXPECT_EQ(server_.CountReceived("QUIT"), 1);
}

TEST_F(Pop3Session, AbortDropsTheSessionWithoutQuit) {
  Expect("", false);
  client().Connect();
  client().Abort();
  EXPECT_FALSE(client().IsConnected());
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_EQ(server_.CountReceived("QUIT"), 0);
}

TEST_F(Pop3Session, DestroyingAConnectedClientSendsNoQuitAndFiresNothing) {
  Expect("", false);
  client().Connect();
  int disconnected = 0;
  client().OnDisconnect = [&](TComponent*) { ++disconnected; };
  client_.reset();
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_EQ(server_.CountReceived("QUIT"), 0);
  EXPECT_EQ(disconnected, 0);
}

TEST_F(Pop3Session, StalledGreetingTimesOutAndCloses) {
  server_.AddConversation("STALL");
  client().SetTimeOut(200);
  int connected = 0;
  client().OnConnect = [&](TComponent*) { ++connected; };
  EXPECT_THROW(client().Connect(), EAbortError);
  EXPECT_FALSE(client().IsConnected());
  EXPECT_FALSE(client().Busy());
  EXPECT_EQ(connected, 0);
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_TRUE(server_.Received().empty());
}

}  // namespace
}  // namespace pop3test
