// The security steps of the log-in against scripted conversations: CAPA and
// STLS choices, refusals after which nothing more may be sent, the guard
// against a log-in in clear, and SASL XOAUTH2 with a token command.

#include <string>
#include <vector>

#include "pop3/Sasl.h"
#include "tests/pop3/ScriptedClientTest.h"

namespace pop3test {
namespace {

using pop3::ESecurityError;
using pop3::SecurityMode;

constexpr const char* kCapaWithoutStls = R"(
  S: +OK POP3 ready
  C: CAPA
  S: +OK Capability list follows
  S: TOP
  S: USER
  S: PIPELINING
  S: .
)";

class Pop3Security : public ScriptedClientTest {
 protected:
  void SetUp() override {
    ScriptedClientTest::SetUp();
    client().OnSecurityFailure = [this](const std::string& text) { shown_.push_back(text); };
  }

  // Connect must be refused with ESecurityError; returns its text.
  std::string Refused() {
    const std::string text = FailureOf<ESecurityError>([&] { client().Connect(); });
    EXPECT_FALSE(text.empty()) << "Connect was not refused";
    EXPECT_FALSE(client().IsConnected());
    EXPECT_EQ(shown_, std::vector<std::string>{text});
    return text;
  }

  // Nothing after the last line of lines was sent.
  void ExpectReceivedExactly(const std::vector<std::string>& lines) {
    EXPECT_TRUE(server_.WaitUntilDone());
    EXPECT_EQ(server_.Received(), lines);
  }

  std::vector<std::string> shown_;
};

TEST_F(Pop3Security, NoneKeepsThePlainConversationWithoutCapa) {
  client().Security = SecurityMode::None;
  Expect("");
  client().Connect();
  client().Disconnect();
  EXPECT_EQ(server_.Received(), (std::vector<std::string>{"USER bob", "PASS secret", "STAT", "QUIT"}));
}

TEST_F(Pop3Security, AutoSendsOneCapaAndLogsInInClearWhenNoStlsIsListed) {
  client().Security = SecurityMode::Auto;
  server_.AddConversation(std::string(kCapaWithoutStls) + kLogInAfterGreeting + kQuit);
  client().Connect();
  EXPECT_TRUE(client().SessionTls().empty());
  EXPECT_FALSE(client().TlsOffered());
  EXPECT_EQ(client().CapabilityLines(), (std::vector<std::string>{"TOP", "USER", "PIPELINING"}));
  client().Disconnect();
}

TEST_F(Pop3Security, AutoTakesARefusedCapaAsPlaintext) {
  client().Security = SecurityMode::Auto;
  server_.AddConversation(std::string("S: +OK ready\nC: CAPA\nS: -ERR unknown command\n") + kLogInAfterGreeting +
                          kQuit);
  client().Connect();
  EXPECT_TRUE(client().CapabilityLines().empty());
  client().Disconnect();
}

TEST_F(Pop3Security, ARefusedStlsEndsTheSessionWithNothingMoreSent) {
  client().Security = SecurityMode::STARTTLS;
  server_.AddConversation("S: +OK ready\nC: STLS\nS: -ERR not today\n");
  const std::string text = Refused();
  EXPECT_NE(text.find("refused STLS: -ERR not today"), std::string::npos) << text;
  ExpectReceivedExactly({"STLS"});
}

TEST_F(Pop3Security, AutoRefusesAListedStlsThatIsThenRefused) {
  client().Security = SecurityMode::Auto;
  server_.AddConversation("S: +OK ready\nC: CAPA\nS: +OK\nS: STLS\nS: .\nC: STLS\nS: -ERR gone\n");
  Refused();
  EXPECT_TRUE(client().TlsOffered());
  ExpectReceivedExactly({"CAPA", "STLS"});
}

TEST_F(Pop3Security, AHostKnownForTlsWhoseStlsIsStrippedGetsNoPassword) {
  client().Security = SecurityMode::Auto;
  client().TlsRequired = true;
  server_.AddConversation(kCapaWithoutStls);
  const std::string text = Refused();
  EXPECT_NE(text.find("offered TLS before"), std::string::npos) << text;
  ExpectReceivedExactly({"CAPA"});
}

TEST_F(Pop3Security, PlaintextLogInAsksFirstAndSendsNothingWhenRefused) {
  client().Security = SecurityMode::Auto;
  int asked = 0;
  client().OnPlaintextLogin = [&](bool& handled) {
    ++asked;
    handled = false;
  };
  server_.AddConversation(kCapaWithoutStls);
  const std::string text = Refused();
  EXPECT_EQ(asked, 1);
  EXPECT_NE(text.find(":995"), std::string::npos) << "the box must say what to type instead: " << text;
  ExpectReceivedExactly({"CAPA"});
}

TEST_F(Pop3Security, PlaintextLogInGoesOnWhenAllowed) {
  client().Security = SecurityMode::Auto;
  client().OnPlaintextLogin = [](bool& handled) { handled = true; };
  server_.AddConversation(std::string(kCapaWithoutStls) + kLogInAfterGreeting + kQuit);
  client().Connect();
  EXPECT_EQ(client().MailCount(), 2);
  client().Disconnect();
}

// The token in these tests goes in clear: the scripted server is on the
// loopback address, the one place where that is allowed.
TEST_F(Pop3Security, XOAuth2SendsTheTokenOfTheCommandOnTheContinuationLine) {
  client().Security = SecurityMode::None;
  client().Password.clear();
  client().TokenCommand = "echo tok-123; echo second-line-ignored";
  server_.AddConversation(std::string("S: +OK ready\nC: AUTH XOAUTH2\nS: + \nC: ") +
                          pop3::Base64Encode(pop3::XOAuth2Response("bob", "tok-123")) +
                          "\nS: +OK welcome\nC: STAT\nS: +OK 5 100\n" + kQuit);
  client().Connect();
  EXPECT_EQ(client().MailCount(), 5);
  client().Disconnect();
  EXPECT_EQ(pop3::Base64Encode(pop3::XOAuth2Response("bob", "tok-123")), "dXNlcj1ib2IBYXV0aD1CZWFyZXIgdG9rLTEyMwEB");
}

TEST_F(Pop3Security, XOAuth2RefusalShowsTheServersDecodedError) {
  client().Security = SecurityMode::None;
  client().TokenCommand = "printf 'tok-123\\n'";
  server_.AddConversation(std::string("S: +OK ready\nC: AUTH XOAUTH2\nS: +\nC: dXNlcj1ib2IBYXV0aD1CZWFyZXIgdG9rLTEyMwEB\n") +
                          "S: + eyJzdGF0dXMiOiI0MDEiLCJzY2hlbWVzIjoiYmVhcmVyIn0=\nC: \nS: -ERR authentication failed\n");
  const std::string text = Refused();
  EXPECT_NE(text.find(R"({"status":"401","schemes":"bearer"})"), std::string::npos) << text;
  EXPECT_NE(text.find("-ERR authentication failed"), std::string::npos) << text;
  EXPECT_EQ(server_.CountReceived("QUIT"), 0);
}

TEST_F(Pop3Security, AFailingTokenCommandIsReportedWithItsStatusAndErrors) {
  client().Security = SecurityMode::None;
  client().TokenCommand = "echo 'refresh token expired' >&2; exit 3";
  server_.AddConversation("S: +OK ready\n");
  const std::string text = Refused();
  EXPECT_NE(text.find("exit status 3"), std::string::npos) << text;
  EXPECT_NE(text.find("refresh token expired"), std::string::npos) << text;
  ExpectReceivedExactly({});
}

TEST_F(Pop3Security, ATokenCommandThatHangsIsBoundedByTheTimeOut) {
  client().Security = SecurityMode::None;
  client().SetTimeOut(300);
  client().TokenCommand = "exec sleep 30";
  server_.AddConversation("S: +OK ready\n");
  EXPECT_NE(Refused().find("did not finish in time"), std::string::npos);
}

TEST(Sasl, Base64RoundTripsEveryLengthAgainstKnownValues) {
  EXPECT_EQ(pop3::Base64Encode(""), "");
  EXPECT_EQ(pop3::Base64Encode("f"), "Zg==");
  EXPECT_EQ(pop3::Base64Encode("fo"), "Zm8=");
  EXPECT_EQ(pop3::Base64Encode("foo"), "Zm9v");
  EXPECT_EQ(pop3::Base64Encode("foob"), "Zm9vYg==");
  for (const std::string text : {"", "a", "ab", "abc", "abcd", "\x01\xff\x80 binary"}) {
    EXPECT_EQ(pop3::Base64Decode(pop3::Base64Encode(text)), text);
  }
}

}  // namespace
}  // namespace pop3test

namespace pop3test {
namespace {

// Faults of the TLS handshake itself, which a real server does not make:
// the client waits under its time-out and its cancel, and after a failure
// nothing follows in plaintext.
class Pop3TlsHandshakeFault : public Pop3Security {};

TEST_F(Pop3TlsHandshakeFault, AStalledHandshakeEndsByTheTimeOutWithNothingSentInClear) {
  client().Security = SecurityMode::TLS;
  client().SetTimeOut(400);
  server_.AddConversation("STALL\n");
  const std::string text = FailureOf<net::ESockError>([&] { client().Connect(); });
  EXPECT_EQ(text, "TLS Handshake Timed Out");
  EXPECT_FALSE(client().IsConnected());
  EXPECT_TRUE(shown_.empty()) << "a time-out is no certificate or security verdict";
  EXPECT_TRUE(server_.WaitUntilDone());
  // The server saw the ClientHello's bytes, and no command in clear after it.
  for (const char* command : {"USER", "PASS", "QUIT", "CAPA", "STLS"}) EXPECT_EQ(server_.CountReceived(command), 0);
}

TEST_F(Pop3TlsHandshakeFault, APlaintextGreetingOnATlsPortIsAFailedHandshake) {
  client().Security = SecurityMode::TLS;
  client().SetTimeOut(5000);
  server_.AddConversation("S: +OK plaintext POP3 here\nCLOSE\n");
  const std::string text = Refused();
  EXPECT_NE(text.find("TLS handshake with 127.0.0.1 failed"), std::string::npos) << text;
  EXPECT_NE(text.find("Nothing was sent"), std::string::npos) << text;
}

// A connection that ends under the handshake says nothing of the server's
// TLS: it is the network's failure (ETlsHandshakeCut), and no security box.
TEST_F(Pop3TlsHandshakeFault, AConnectionClosedUnderTheHandshakeIsCutNotRefused) {
  client().Security = SecurityMode::TLS;
  client().SetTimeOut(5000);
  server_.AddConversation("CLOSE\n");
  const std::string text = FailureOf<net::ETlsHandshakeCut>([&] { client().Connect(); });
  EXPECT_NE(text.find("closed the connection during the TLS handshake"), std::string::npos) << text;
  EXPECT_TRUE(shown_.empty()) << "no security verdict";
  EXPECT_FALSE(client().IsConnected());
}

TEST_F(Pop3TlsHandshakeFault, ACancelDuringTheHandshakeEndsIt) {
  client().Security = SecurityMode::TLS;
  client().SetTimeOut(0);
  server_.AddConversation("STALL\n");
  client().ReportLevel = net::kStatusTrace;  // the handshake begins with "Starting TLS"
  client().OnStatus = [&](platform::TComponent*, const std::string& status) {
    if (status == "Starting TLS") client().Cancel();
  };
  const std::string text = FailureOf<net::ESockError>([&] { client().Connect(); });
  EXPECT_EQ(text, "TLS Handshake Canceled");
  EXPECT_FALSE(client().IsConnected());
}

}  // namespace
}  // namespace pop3test
