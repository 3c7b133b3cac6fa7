#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include "mailbox/AlertNotice.h"
#include "mailbox/MatchRules.h"
#include "platform/core/Exception.h"

namespace mailboxtest {

namespace {

using ::testing::ElementsAre;

TEST(SplitRuleTerms, SplitsAtTheFirstTwoSemicolonsOnly) {
  EXPECT_THAT(mailbox::SplitRuleTerms("bob"), ElementsAre("bob", "", ""));
  EXPECT_THAT(mailbox::SplitRuleTerms("bob;alice"), ElementsAre("bob", "alice", ""));
  EXPECT_THAT(mailbox::SplitRuleTerms("a;b;c;d"), ElementsAre("a", "b", "c;d"));
  EXPECT_THAT(mailbox::SplitRuleTerms(";x"), ElementsAre("", "x", ""));
  EXPECT_THAT(mailbox::SplitRuleTerms("x;"), ElementsAre("x", "", ""));
  EXPECT_THAT(mailbox::SplitRuleTerms(";;"), ElementsAre("", "", ""));
  EXPECT_THAT(mailbox::SplitRuleTerms(" ann ; lee"), ElementsAre(" ann ", " lee", "")) << "terms are not trimmed";
}

TEST(TermMatches, FoldsAsciiLettersOnly) {
  EXPECT_TRUE(mailbox::TermMatches("alice", "Alice Smith"));
  EXPECT_TRUE(mailbox::TermMatches("SMITH", "alice smith"));
  EXPECT_TRUE(mailbox::TermMatches("ce sm", "Alice Smith"));
  EXPECT_FALSE(mailbox::TermMatches("bob", "Alice Smith"));
  // Letters of other code pages keep their case: \xE9 is not \xC9.
  EXPECT_FALSE(mailbox::TermMatches("\xE9", "REN\xC9"));
  EXPECT_TRUE(mailbox::TermMatches("ren\xC9", "REN\xC9"));
  EXPECT_EQ(mailbox::AsciiUpper("az AZ 09 {@`[\xE9\xFF"), "AZ AZ 09 {@`[\xE9\xFF");
}

TEST(TermMatches, EmptyTermNeverMatches) {
  EXPECT_FALSE(mailbox::TermMatches("", "anything"));
  EXPECT_FALSE(mailbox::TermMatches("", ""));
  EXPECT_FALSE(mailbox::TermMatches("x", ""));
}

TEST(RuleMatchCount, CountsEveryMatchingTerm) {
  EXPECT_EQ(mailbox::RuleMatchCount("bob;alice", "Alice Smith"), 1);
  EXPECT_EQ(mailbox::RuleMatchCount("bob;alice", "Bob and Alice"), 2);
  EXPECT_EQ(mailbox::RuleMatchCount("bob;alice", "Carl"), 0);
  EXPECT_EQ(mailbox::RuleMatchCount("a;b;c;d", "CD"), 0) << "the third term is c;d, not c";
  EXPECT_EQ(mailbox::RuleMatchCount("a;b;c;d", "x c;d y"), 1);
  EXPECT_EQ(mailbox::RuleMatchCount("a;b;c;d", "abc;d"), 3);
  EXPECT_EQ(mailbox::RuleMatchCount(";x", "Bob"), 0);
  EXPECT_EQ(mailbox::RuleMatchCount(";x", "Xavier"), 1);
  EXPECT_EQ(mailbox::RuleMatchCount("", "Xavier"), 0);
}

TEST(StrToIntLeadingBlanks, AcceptsSignedDecimals) {
  EXPECT_EQ(mailbox::StrToIntLeadingBlanks("0"), 0);
  EXPECT_EQ(mailbox::StrToIntLeadingBlanks("5000"), 5000);
  EXPECT_EQ(mailbox::StrToIntLeadingBlanks("-12"), -12);
  EXPECT_EQ(mailbox::StrToIntLeadingBlanks("+7"), 7);
  EXPECT_EQ(mailbox::StrToIntLeadingBlanks("  42"), 42);
  EXPECT_EQ(mailbox::StrToIntLeadingBlanks("007"), 7);
  EXPECT_EQ(mailbox::StrToIntLeadingBlanks("2147483647"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(mailbox::StrToIntLeadingBlanks("-2147483648"), std::numeric_limits<std::int32_t>::min());
}

TEST(StrToIntLeadingBlanks, RejectsEverythingElseWithTheConversionText) {
  for (const char* text : {"", " ", "-", "+", "abc", "12a", "1 2", "42 ", "0x10", "1.5", "2147483648", "-2147483649",
                           "99999999999999999999"}) {
    try {
      mailbox::StrToIntLeadingBlanks(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const platform::Exception& error) {
      EXPECT_EQ(error.Message(), "'" + std::string(text) + "' is not a valid integer value");
    }
  }
}

TEST(SizeRule, MatchesFromTheLimitUp) {
  EXPECT_EQ(mailbox::SizeRuleLimit(""), 0);
  EXPECT_EQ(mailbox::SizeRuleLimit("5000"), 5000);
  EXPECT_THROW(mailbox::SizeRuleLimit("big"), platform::Exception);
  EXPECT_TRUE(mailbox::SizeMatches(5000, 5000));
  EXPECT_TRUE(mailbox::SizeMatches(5000, 70000));
  EXPECT_FALSE(mailbox::SizeMatches(5000, 4999));
  EXPECT_FALSE(mailbox::SizeMatches(0, 4999)) << "a limit of 0 sets no rule";
  EXPECT_FALSE(mailbox::SizeMatches(-3, 4999));
  EXPECT_TRUE(mailbox::SizeMatches(1, 1));
  EXPECT_FALSE(mailbox::SizeMatches(1, 0));
}

struct NoticeCase {
  std::vector<mailbox::AlertedMessage> messages;
  const char* summary;
  const char* body;
};

TEST(AlertNotice, CountsAndFirstSendersAndSubjects) {
  const NoticeCase cases[] = {
      {{{"Alice <a@x>", "Lunch"}}, "1 message matched", "Alice <a@x>: Lunch"},
      {{{"", ""}}, "1 message matched", "(unknown sender): (no subject)"},
      {{{"A", "1"}, {"B", "2"}, {"C", "3"}}, "3 messages matched", "A: 1\nB: 2\nC: 3"},
      {{{"A", "1"}, {"B", "2"}, {"C", "3"}, {"D", "4"}, {"E", "5"}},
       "5 messages matched",
       "A: 1\nB: 2\nC: 3\n... and 2 more"},
      {{{"<b>Eve</b>", "a & b"}}, "1 message matched", "<b>Eve</b>: a & b"},
  };
  for (const NoticeCase& c : cases) {
    mailbox::AlertNotice notice = mailbox::ComposeAlertNotice(c.messages);
    EXPECT_EQ(notice.Summary, c.summary);
    EXPECT_EQ(notice.Body, c.body);
  }
}

}  // namespace

}  // namespace mailboxtest
