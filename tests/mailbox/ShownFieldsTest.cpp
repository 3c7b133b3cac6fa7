#include <gtest/gtest.h>

#include "mailbox/MailboxSettings.h"
#include "mailbox/ShownFields.h"

namespace {

using mailbox::ExtractHeaderValue;
using mailbox::SplitServerAddress;

TEST(SplitServerAddress, PortAfterLastColon) {
  EXPECT_EQ(SplitServerAddress("pop.example.com:995").Host, "pop.example.com");
  EXPECT_EQ(SplitServerAddress("pop.example.com:995").Port, 995);
  EXPECT_EQ(SplitServerAddress("127.0.0.1:1").Port, 1);
  EXPECT_EQ(SplitServerAddress("127.0.0.1:65535").Port, 65535);
  EXPECT_EQ(SplitServerAddress("a:b:2110").Host, "a:b");
  EXPECT_EQ(SplitServerAddress("a:b:2110").Port, 2110);
}

TEST(SplitServerAddress, NoValidPortMeansPort110AndWholeText) {
  for (const char* text : {"pop.example.com", "host:", "host:0", "host:65536", "host:-5", "host:+5", "host: 25",
                           "host:25x", "host:1234567", ""}) {
    mailbox::ServerAddress address = SplitServerAddress(text);
    EXPECT_EQ(address.Host, text);
    EXPECT_EQ(address.Port, 110) << text;
  }
}

constexpr int kFromSkip = 6;
constexpr int kSubjectSkip = 9;

TEST(ExtractHeaderValue, ValueRunsToEndOfLine) {
  std::string header = "Received: x\r\nFrom: Ann Lee\r\nSubject: Hi there \r\n\r\n.\r\n";
  EXPECT_EQ(ExtractHeaderValue(header, "From:", "FROM:", kFromSkip), "Ann Lee");
  EXPECT_EQ(ExtractHeaderValue(header, "Subject:", "SUBJECT:", kSubjectSkip), "Hi there ");
}

TEST(ExtractHeaderValue, OneCharacterAfterColonIsPassedOver) {
  EXPECT_EQ(ExtractHeaderValue("From:Ann\r\n", "From:", "FROM:", kFromSkip), "nn");
  EXPECT_EQ(ExtractHeaderValue("From:\r\n", "From:", "FROM:", kFromSkip), "");
  EXPECT_EQ(ExtractHeaderValue("From: \r\n", "From:", "FROM:", kFromSkip), "");
}

TEST(ExtractHeaderValue, LabelsAreCaseSensitiveWithUpperCaseFallback) {
  EXPECT_EQ(ExtractHeaderValue("from: ann\r\n", "From:", "FROM:", kFromSkip), std::nullopt);
  EXPECT_EQ(ExtractHeaderValue("FROM: ANN\r\n", "From:", "FROM:", kFromSkip), "ANN");
  EXPECT_EQ(ExtractHeaderValue("FROM: upper\r\nFrom: mixed\r\n", "From:", "FROM:", kFromSkip), "mixed");
}

TEST(ExtractHeaderValue, FirstOccurrenceWinsEvenInsideAnotherName) {
  std::string header = "Delivery-Date: Tue\r\nDate: Wed\r\n";
  EXPECT_EQ(ExtractHeaderValue(header, "Date:", "DATE:", kFromSkip), "Tue");
}

TEST(ExtractHeaderValue, LastLineWithoutLineEnd) {
  EXPECT_EQ(ExtractHeaderValue("Subject: end", "Subject:", "SUBJECT:", kSubjectSkip), "en");
  EXPECT_EQ(ExtractHeaderValue("Subject:", "Subject:", "SUBJECT:", kSubjectSkip), "");
}

}  // namespace

namespace {

struct ServerTextCase {
  const char* text;
  const char* host;
  int port;
  bool implicitTls;
};

class SplitServerAddressForms : public ::testing::TestWithParam<ServerTextCase> {};

TEST_P(SplitServerAddressForms, HostPortAndImplicitTls) {
  const ServerTextCase& c = GetParam();
  const mailbox::ServerAddress address = mailbox::SplitServerAddress(c.text);
  EXPECT_EQ(address.Host, c.host) << c.text;
  EXPECT_EQ(address.Port, c.port) << c.text;
  EXPECT_EQ(address.ImplicitTls, c.implicitTls) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, SplitServerAddressForms,
    ::testing::Values(ServerTextCase{"pop.example.com", "pop.example.com", 110, false},
                      ServerTextCase{"pop.example.com:995", "pop.example.com", 995, true},
                      ServerTextCase{"pop3s://pop.example.com", "pop.example.com", 995, true},
                      ServerTextCase{"POP3S://pop.example.com:2995/", "pop.example.com", 2995, true},
                      ServerTextCase{"[2001:db8::1]:995", "2001:db8::1", 995, true},
                      ServerTextCase{"[::1]:1110", "::1", 1110, false}, ServerTextCase{"[::1]", "::1", 110, false},
                      ServerTextCase{"::1", "::1", 110, false},
                      ServerTextCase{"2001:db8::1", "2001:db8::1", 110, false},
                      ServerTextCase{"[not-v6]:995", "[not-v6]:995", 110, false},
                      ServerTextCase{"a:b:2110", "a:b", 2110, false}));

}  // namespace

// The settings of a command reach the client: host and port from the
// server text, implicit TLS for pop3s:// and port 995 whatever the choice.
TEST(ApplySettings, ServerTextGivesHostPortAndSecurity) {
  pop3::TPop3Client client;
  mailbox::MailboxSettings settings;
  settings.Server = "mail.example.net:2110";
  settings.UserID = "ann";
  settings.Password = "p:w";
  settings.Security = pop3::SecurityMode::STARTTLS;
  mailbox::ApplySettings(settings, client);
  EXPECT_EQ(client.Host, "mail.example.net");
  EXPECT_EQ(client.Port, 2110);
  EXPECT_EQ(client.UserID, "ann");
  EXPECT_EQ(client.Password, "p:w");
  EXPECT_EQ(client.Security, pop3::SecurityMode::STARTTLS);

  settings.Server = "pop3s://10.0.0.1";
  mailbox::ApplySettings(settings, client);
  EXPECT_EQ(client.Host, "10.0.0.1");
  EXPECT_EQ(client.Port, 995);
  EXPECT_EQ(client.Security, pop3::SecurityMode::TLS);
}
