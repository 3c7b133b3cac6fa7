#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include "app/MatchRules.h"
#include "platform/core/Exception.h"

namespace apptest {

namespace {

using ::testing::ElementsAre;

TEST(SplitRuleTerms, SplitsAtTheFirstTwoSemicolonsOnly) {
  EXPECT_THAT(app::SplitRuleTerms("bob"), ElementsAre("bob", "", ""));
  EXPECT_THAT(app::SplitRuleTerms("bob;alice"), ElementsAre("bob", "alice", ""));
  EXPECT_THAT(app::SplitRuleTerms("a;b;c;d"), ElementsAre("a", "b", "c;d"));
  EXPECT_THAT(app::SplitRuleTerms(";x"), ElementsAre("", "x", ""));
  EXPECT_THAT(app::SplitRuleTerms("x;"), ElementsAre("x", "", ""));
  EXPECT_THAT(app::SplitRuleTerms(";;"), ElementsAre("", "", ""));
  EXPECT_THAT(app::SplitRuleTerms(" ann ; lee"), ElementsAre(" ann ", " lee", "")) << "terms are not trimmed";
}

TEST(TermMatches, FoldsAsciiLettersOnly) {
  EXPECT_TRUE(app::TermMatches("alice", "Alice Smith"));
  EXPECT_TRUE(app::TermMatches("SMITH", "alice smith"));
  EXPECT_TRUE(app::TermMatches("ce sm", "Alice Smith"));
  EXPECT_FALSE(app::TermMatches("bob", "Alice Smith"));
  // Letters of other code pages keep their case: \xE9 is not \xC9.
  EXPECT_FALSE(app::TermMatches("\xE9", "REN\xC9"));
  EXPECT_TRUE(app::TermMatches("ren\xC9", "REN\xC9"));
  EXPECT_EQ(app::AsciiUpper("az AZ 09 {@`[\xE9\xFF"), "AZ AZ 09 {@`[\xE9\xFF");
}

TEST(TermMatches, EmptyTermNeverMatches) {
  EXPECT_FALSE(app::TermMatches("", "anything"));
  EXPECT_FALSE(app::TermMatches("", ""));
  EXPECT_FALSE(app::TermMatches("x", ""));
}

TEST(RuleMatchCount, CountsEveryMatchingTerm) {
  EXPECT_EQ(app::RuleMatchCount("bob;alice", "Alice Smith"), 1);
  EXPECT_EQ(app::RuleMatchCount("bob;alice", "Bob and Alice"), 2);
  EXPECT_EQ(app::RuleMatchCount("bob;alice", "Carl"), 0);
  EXPECT_EQ(app::RuleMatchCount("a;b;c;d", "CD"), 0) << "the third term is c;d, not c";
  EXPECT_EQ(app::RuleMatchCount("a;b;c;d", "x c;d y"), 1);
  EXPECT_EQ(app::RuleMatchCount("a;b;c;d", "abc;d"), 3);
  EXPECT_EQ(app::RuleMatchCount(";x", "Bob"), 0);
  EXPECT_EQ(app::RuleMatchCount(";x", "Xavier"), 1);
  EXPECT_EQ(app::RuleMatchCount("", "Xavier"), 0);
}

TEST(StrToIntLeadingBlanks, AcceptsSignedDecimals) {
  EXPECT_EQ(app::StrToIntLeadingBlanks("0"), 0);
  EXPECT_EQ(app::StrToIntLeadingBlanks("5000"), 5000);
  EXPECT_EQ(app::StrToIntLeadingBlanks("-12"), -12);
  EXPECT_EQ(app::StrToIntLeadingBlanks("+7"), 7);
  EXPECT_EQ(app::StrToIntLeadingBlanks("  42"), 42);
  EXPECT_EQ(app::StrToIntLeadingBlanks("007"), 7);
  EXPECT_EQ(app::StrToIntLeadingBlanks("2147483647"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(app::StrToIntLeadingBlanks("-2147483648"), std::numeric_limits<std::int32_t>::min());
}

TEST(StrToIntLeadingBlanks, RejectsEverythingElseWithTheConversionText) {
  for (const char* text : {"", " ", "-", "+", "abc", "12a", "1 2", "42 ", "0x10", "1.5", "2147483648", "-2147483649",
                           "99999999999999999999"}) {
    try {
      app::StrToIntLeadingBlanks(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const platform::Exception& error) {
      EXPECT_EQ(error.Message(), "'" + std::string(text) + "' is not a valid integer value");
    }
  }
}

TEST(SizeRule, MatchesFromTheLimitUp) {
  EXPECT_EQ(app::SizeRuleLimit(""), 0);
  EXPECT_EQ(app::SizeRuleLimit("5000"), 5000);
  EXPECT_THROW(app::SizeRuleLimit("big"), platform::Exception);
  EXPECT_TRUE(app::SizeMatches(5000, 5000));
  EXPECT_TRUE(app::SizeMatches(5000, 70000));
  EXPECT_FALSE(app::SizeMatches(5000, 4999));
  EXPECT_FALSE(app::SizeMatches(0, 4999)) << "a limit of 0 sets no rule";
  EXPECT_FALSE(app::SizeMatches(-3, 4999));
  EXPECT_TRUE(app::SizeMatches(1, 1));
  EXPECT_FALSE(app::SizeMatches(1, 0));
}

}  // namespace

}  // namespace apptest
