#include <gtest/gtest.h>

#include "app/POP3Unit1.h"

namespace {

using app::ExtractHeaderValue;
using app::SplitServerAddress;

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
    app::ServerAddress address = SplitServerAddress(text);
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
  const app::ServerAddress address = app::SplitServerAddress(c.text);
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
