// TPop3Client over TLS against the private Dovecot started with --tls:
// implicit TLS, STLS, and every certificate fault the script makes. A
// refused certificate must end the session before any credential leaves.

#include <gmock/gmock.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "pop3/Pop3Client.h"
#include "tests/support/Pop3TestServer.h"
#include "tests/support/NonRegularEntry.h"
#include "tests/support/TempFolder.h"

namespace pop3test {
namespace {

using pop3::SecurityMode;

// The SHA-256 fingerprint of a certificate file as openssl prints it
// ("AB:CD:..."), an independent check of the one the client shows.
std::string OpenSslFingerprint(const std::string& file) {
  const std::string command = "openssl x509 -noout -fingerprint -sha256 -in '" + file + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return "";
  char buffer[256] = {};
  std::string text = std::fgets(buffer, sizeof buffer, pipe) != nullptr ? buffer : "";
  ::pclose(pipe);
  const auto equals = text.find('=');
  if (equals == std::string::npos) return "";
  text = text.substr(equals + 1);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

std::string Message(int n) {
  return "From: Sender " + std::to_string(n) + " <s@example.org>\nSubject: Secure " + std::to_string(n) +
         "\n\nBody " + std::to_string(n) + ".\n";
}

class Pop3TlsDovecot : public testsupport::TlsDovecotTest {
 protected:
  void SetUp() override {
    TlsDovecotTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    client_ = std::make_unique<pop3::TPop3Client>();
    client_->Host = server_->Address();
    client_->UserID = mailbox_->User();
    client_->Password = mailbox_->Password();
    client_->TlsCAFile = server_->CaFile();
    client_->SetTimeOut(20000);
    client_->OnSecurityFailure = [this](const std::string& text) {
      ++failuresShown_;
      shown_ = text;
    };
  }

  void Use(SecurityMode security, int port, const std::string& host = "") {
    client_->Security = security;
    client_->Port = port;
    if (!host.empty()) client_->Host = host;
  }

  // Connect must fail with ESecurityError; returns its text.
  std::string RefusedConnect() {
    try {
      client_->Connect();
    } catch (const pop3::ESecurityError& error) {
      EXPECT_FALSE(client_->IsConnected());
      EXPECT_EQ(failuresShown_, 1);
      EXPECT_EQ(shown_, error.Message());
      return error.Message();
    }
    ADD_FAILURE() << "Connect was not refused";
    return "";
  }

  std::unique_ptr<pop3::TPop3Client> client_;
  int failuresShown_ = 0;
  std::string shown_;
};

TEST_F(Pop3TlsDovecot, ImplicitTlsChecksViewsAndDeletes) {
  mailbox_->AddMessage(Message(1));
  mailbox_->AddMessage(Message(2));
  const auto logStart = server_->LogSize();
  Use(SecurityMode::TLS, server_->TlsPort());
  client_->Connect();
  EXPECT_EQ(client_->SessionTls().rfind("TLSv1.", 0), 0u) << client_->SessionTls();
  EXPECT_NE(client_->SessionTls(), "TLSv1.1");
  EXPECT_EQ(client_->MailCount(), 2);
  int listed = 0;
  client_->OnList = [&](std::int32_t, std::int32_t) { ++listed; };
  client_->ListMessages();
  EXPECT_EQ(listed, 2);
  client_->FetchSummary(2);
  EXPECT_EQ(client_->Summary().Subject, " Secure 2");
  client_->DeleteMessage(1);
  client_->Disconnect();
  EXPECT_EQ(mailbox_->Count(), 1);
  EXPECT_TRUE(mailbox_->WaitForLog(logStart, "TLS")) << "Dovecot did not log a TLS log-in";
  EXPECT_EQ(failuresShown_, 0);
}

TEST_F(Pop3TlsDovecot, StlsOnThePlainPortBeforeTheLogIn) {
  mailbox_->AddMessage(Message(1));
  const auto logStart = server_->LogSize();
  Use(SecurityMode::STARTTLS, server_->Port());
  client_->Connect();
  EXPECT_FALSE(client_->SessionTls().empty());
  EXPECT_EQ(client_->MailCount(), 1);
  client_->Disconnect();
  EXPECT_TRUE(mailbox_->WaitForLog(logStart, "TLS"));
}

TEST_F(Pop3TlsDovecot, AutoTakesTheStlsThatCapaLists) {
  Use(SecurityMode::Auto, server_->Port(), "localhost");  // the name, checked against DNS:localhost
  client_->Connect();
  EXPECT_TRUE(client_->TlsOffered());
  EXPECT_FALSE(client_->SessionTls().empty());
  // What the server listed before STLS is forgotten: the lines are those
  // of CAPA asked again over TLS, where STLS is offered no more.
  EXPECT_FALSE(client_->CapabilityLines().empty());
  EXPECT_THAT(client_->CapabilityLines(), ::testing::Not(::testing::Contains("STLS")));
  EXPECT_TRUE(client_->Capabilities().Pipelining());
  client_->Disconnect();
}

TEST_F(Pop3TlsDovecot, IPv6LoopbackLiteralIsReachedAndCheckedAgainstTheCertificate) {
  if (std::system("grep -q '^00000000000000000000000000000001 ' /proc/net/if_inet6 2>/dev/null") != 0) {
    GTEST_SKIP() << "no IPv6 loopback on this machine";
  }
  mailbox_->AddMessage(Message(1));
  Use(SecurityMode::TLS, server_->TlsPort(), "::1");  // the certificate names IP:::1
  client_->Connect();
  EXPECT_EQ(client_->RemoteAddressText(), "::1");
  EXPECT_EQ(client_->RemoteAddress(), 0u) << "no IPv4 address was used";
  EXPECT_TRUE(client_->RemoteIsLoopback());
  EXPECT_EQ(client_->MailCount(), 1);
  client_->Disconnect();
}

// A name that resolves to ::1 first and 127.0.0.1 after it (scripts/test.sh
// runs this under a hosts file of its own that has one; elsewhere skipped): the
// plain port listens on 127.0.0.1 only, so ::1 refuses and the next address
// must be tried within the same Connect.
TEST_F(Pop3TlsDovecot, EveryAddressOfTheHostIsTriedInTurn) {
  const char* name = std::getenv("POP3CHECK_TEST_DUAL_STACK_HOST");
  if (name == nullptr || *name == '\0') GTEST_SKIP() << "POP3CHECK_TEST_DUAL_STACK_HOST is not set";
  Use(SecurityMode::STARTTLS, server_->Port(), name);
  client_->TlsFingerprint = OpenSslFingerprint(server_->CertificateFile("server"));  // the name is not in it
  client_->Connect();
  EXPECT_EQ(client_->RemoteAddressText(), "127.0.0.1");
  client_->Disconnect();
}

// The CA file is read by the program itself, never waited on: one that is
// no regular file, too large, missing or without a certificate ends the
// session before anything is sent, with a box that names the file and what
// is wrong with it.
TEST_F(Pop3TlsDovecot, AnUnusableCaFileIsRefusedWithoutWaitingAndSaysWhy) {
  testsupport::TempFolder folder;
  const std::string file = folder.File("ca.pem");
  Use(SecurityMode::TLS, server_->TlsPort());
  auto refusal = [&](const std::string& caFile) {
    client_->TlsCAFile = caFile;
    failuresShown_ = 0;
    return RefusedConnect();
  };
  for (testsupport::NonRegularEntry::Kind kind : testsupport::kEveryNonRegularKind) {
    testsupport::NonRegularEntry entry(kind, file);
    const std::string text = refusal(file);
    EXPECT_NE(text.find("Cannot open the CA file \"" + file + "\": it is " + entry.Words() + ", not a regular file"),
              std::string::npos)
        << entry.Name() << ": " << text;
    EXPECT_FALSE(entry.Waited()) << "the CA file's open waited on the named pipe";
  }
  std::ofstream(file) << "no certificate here\n";
  EXPECT_NE(refusal(file).find("The CA file \"" + file + "\" holds no PEM certificate"), std::string::npos);
  std::filesystem::resize_file(file, 300u << 20);
  EXPECT_NE(refusal(file).find("Cannot read the CA file \"" + file + "\": it is larger than 8 MB"), std::string::npos);
  std::filesystem::remove(file);
  EXPECT_NE(refusal(file).find("Cannot open the CA file \"" + file + "\": No such file"), std::string::npos);
}

struct CertificateFault {
  const char* fault;
  const char* words;  // what the box must say
};

class Pop3TlsCertificateFault : public Pop3TlsDovecot, public ::testing::WithParamInterface<CertificateFault> {};

TEST_P(Pop3TlsCertificateFault, EndsTheSessionBeforeAnyCredentialWithItsOwnReason) {
  const CertificateFault& c = GetParam();
  const std::string address = server_->FaultAddress(c.fault);
  const auto logStart = server_->LogSize();
  Use(SecurityMode::TLS, server_->TlsPort(), address);
  const std::string text = RefusedConnect();
  EXPECT_NE(text.find(c.words), std::string::npos) << text;
  const std::string fingerprint = OpenSslFingerprint(server_->CertificateFile(c.fault));
  ASSERT_FALSE(fingerprint.empty());
  EXPECT_NE(text.find(fingerprint), std::string::npos) << text;
  // Dovecot logs the connection's end; it must have seen no log-in attempt.
  std::string ended;
  for (int pass = 0; pass < 500 && ended.empty(); ++pass) {
    const std::string log = server_->LogSince(logStart);
    const auto at = log.find("lip=" + address);
    if (at != std::string::npos) ended = log.substr(log.rfind('\n', at) + 1, log.find('\n', at) - log.rfind('\n', at));
    if (ended.empty()) ::usleep(10000);
  }
  EXPECT_NE(ended.find("no auth attempts"), std::string::npos) << ended;
  EXPECT_EQ(ended.find(mailbox_->User()), std::string::npos) << ended;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, Pop3TlsCertificateFault,
    ::testing::Values(CertificateFault{"expired", "has expired"}, CertificateFault{"notyet", "not valid yet"},
                      CertificateFault{"wronghost", "issued for another name"},
                      CertificateFault{"selfsigned", "self-signed"},
                      CertificateFault{"untrusted", "authority that is not trusted"},
                      CertificateFault{"weakkey", "too weak"}),
    [](const ::testing::TestParamInfo<CertificateFault>& info) { return std::string(info.param.fault); });

TEST_F(Pop3TlsDovecot, TheTrustStoreAloneDoesNotTrustTheTestCa) {
  client_->TlsCAFile.clear();
  Use(SecurityMode::TLS, server_->TlsPort());
  EXPECT_NE(RefusedConnect().find("not trusted"), std::string::npos);
}

TEST_F(Pop3TlsDovecot, PinnedSelfSignedCertificateIsAccepted) {
  client_->TlsCAFile.clear();
  client_->TlsFingerprint = OpenSslFingerprint(server_->CertificateFile("selfsigned"));
  ASSERT_FALSE(client_->TlsFingerprint.empty());
  Use(SecurityMode::TLS, server_->TlsPort(), server_->FaultAddress("selfsigned"));
  client_->Connect();
  EXPECT_FALSE(client_->SessionTls().empty());
  client_->Disconnect();
}

TEST_F(Pop3TlsDovecot, APinThatDoesNotMatchIsRefusedEvenForATrustedChain) {
  client_->TlsFingerprint = OpenSslFingerprint(server_->CertificateFile("selfsigned"));
  Use(SecurityMode::TLS, server_->TlsPort());  // the good, CA-signed certificate
  EXPECT_NE(RefusedConnect().find("pinned"), std::string::npos);
}

}  // namespace
}  // namespace pop3test
