#include <gtest/gtest.h>

#include <vector>

#include "pop3/ExStringList.h"
#include "pop3/Pop3Reply.h"

namespace {

using pop3::TExStringList;
using pop3::StringList;

TExStringList ListOf(const std::vector<std::string>& items, bool sorted) {
  TExStringList list;
  list.SetSorted(sorted);
  for (const auto& item : items) list.Add(item);
  return list;
}

const std::vector<std::string> kHeader = {
    "Received: from a", "From: Anna <anna@example.de>", "Subject: Hi", "No colon here",
    "X-Mailer: test",   "subject: second",              "Date: Mon, 1 Jan 2024",
};

class ExStringListModes : public ::testing::TestWithParam<bool> {};

TEST_P(ExStringListModes, FindFieldMatchesNamesCaseInsensitively) {
  TExStringList list = ListOf(kHeader, GetParam());
  int index = list.FindField("FROM");
  ASSERT_GE(index, 0);
  EXPECT_EQ(list[index], "From: Anna <anna@example.de>");
  index = list.FindField("x-mailer");
  ASSERT_GE(index, 0);
  EXPECT_EQ(list[index], "X-Mailer: test");
  EXPECT_EQ(list.FindField("Date"), list.IndexOf("Date: Mon, 1 Jan 2024"));
}

TEST_P(ExStringListModes, FindFieldMissesAbsentNamesAndPrefixes) {
  TExStringList list = ListOf(kHeader, GetParam());
  EXPECT_EQ(list.FindField("To"), -1);
  EXPECT_EQ(list.FindField("Fro"), -1);
  EXPECT_EQ(list.FindField("From "), -1);
  EXPECT_EQ(ListOf({}, GetParam()).FindField("From"), -1);
}

TEST_P(ExStringListModes, NameWithBlankBeforeColonIsNotTheField) {
  TExStringList list = ListOf({"Subject : spaced", "Other: x"}, GetParam());
  EXPECT_EQ(list.FindField("Subject"), -1);
  EXPECT_GE(list.FindField("Subject "), 0);
}

TEST_P(ExStringListModes, SetFieldReplacesAddsAndDeletes) {
  TExStringList list = ListOf(kHeader, GetParam());
  const int before = list.Count();

  list.SetField("x-mailer", "other");
  EXPECT_EQ(list.Count(), before);
  EXPECT_EQ(list[list.FindField("X-Mailer")], "x-mailer: other");

  list.SetField("To", "bob@example.com");
  EXPECT_EQ(list.Count(), before + 1);
  EXPECT_EQ(list[list.FindField("to")], "To: bob@example.com");

  list.SetField("Date", "");
  EXPECT_EQ(list.Count(), before);
  EXPECT_EQ(list.FindField("Date"), -1);

  list.SetField("Absent", "");
  EXPECT_EQ(list.Count(), before);
}

TEST_P(ExStringListModes, EveryFieldStaysFindableAfterManyChanges) {
  TExStringList list;
  list.SetSorted(GetParam());
  // Names chosen so that sorting whole lines and sorting names disagree
  // ("A-B: x" sorts before "A: y" by text, after it by name).
  const std::vector<std::string> names = {"A", "A-B", "Zeta", "b", "Content-Type", "Content", "Ab", "a-c"};
  for (const auto& name : names) list.SetField(name, "value of " + name);
  for (const auto& name : names) {
    int index = list.FindField(name);
    ASSERT_GE(index, 0) << name;
    EXPECT_EQ(list[index], name + ": value of " + name);
  }
  list.SetField("A-B", "");
  EXPECT_EQ(list.FindField("A-B"), -1);
  EXPECT_GE(list.FindField("A"), 0);
  EXPECT_EQ(list.Count(), static_cast<int>(names.size()) - 1);
}

INSTANTIATE_TEST_SUITE_P(UnsortedAndSorted, ExStringListModes, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Sorted" : "Unsorted"; });

TEST(ExStringList, UnsortedFindsTheFirstOfTwoEqualNames) {
  TExStringList list = ListOf(kHeader, false);
  EXPECT_EQ(list.FindField("Subject"), 2);
}

TEST(ExStringList, UnsortedSetFieldAppendsAtTheEnd) {
  TExStringList list = ListOf({"B: 1", "A: 2"}, false);
  list.SetField("C", "3");
  EXPECT_EQ(list.Text(), "B: 1\r\nA: 2\r\nC: 3");
}

TEST(ExStringList, SortedListKeepsItemsOrderedByName) {
  TExStringList list = ListOf({"Subject: x", "A-B: 1", "a: 2", "Date: 3"}, true);
  list.SetField("B", "4");
  EXPECT_EQ(list.Text(), "a: 2\r\nA-B: 1\r\nB: 4\r\nDate: 3\r\nSubject: x");
}

TEST(StringList, TextJoinsWithCrLfAndSetTextSplitsEitherEnding) {
  StringList list;
  list.SetText("one\r\ntwo\nthree\r\n");
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list[1], "two");
  EXPECT_EQ(list.Text(), "one\r\ntwo\r\nthree");
  list.SetText("a\r\n\r\nb");
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list[1], "");
}

TEST(StringList, IndexOutsideTheListRaises) {
  StringList list;
  EXPECT_THROW(list.Get(0), pop3::EListError);
  list.Add("x");
  EXPECT_THROW(list.Get(1), pop3::EListError);
  EXPECT_THROW(list.Get(-1), pop3::EListError);
  EXPECT_THROW(list.Delete(1), pop3::EListError);
  EXPECT_THROW(list.Put(2, "y"), pop3::EListError);
  list.Insert(1, "y");
  EXPECT_EQ(list.Text(), "x\r\ny");
}

TEST(Pop3Reply, StrictIntegerConversion) {
  EXPECT_EQ(pop3::StrToIntNoBlanks("120"), 120);
  EXPECT_EQ(pop3::StrToIntNoBlanks("-7"), -7);
  EXPECT_EQ(pop3::StrToIntNoBlanks("+7"), 7);
  EXPECT_EQ(pop3::StrToIntNoBlanks("2147483647"), 2147483647);
  for (const char* bad : {"", " 1", "1 ", "12x", "0x10", "2147483648", "+-1", "1\r\n", "abc"}) {
    EXPECT_THROW(pop3::StrToIntNoBlanks(bad), pop3::EConvertError) << "'" << bad << "'";
  }
  try {
    pop3::StrToIntNoBlanks("abc");
  } catch (const pop3::EConvertError& error) {
    EXPECT_STREQ(error.what(), "'abc' is not a valid integer value");
  }
}

TEST(Pop3Reply, ReplyTestLooksForPlusOkInTheFirstField) {
  EXPECT_TRUE(pop3::ReplyPasses("+OK\r\n"));
  EXPECT_TRUE(pop3::ReplyPasses("+OK 2 320\r\n"));
  EXPECT_TRUE(pop3::ReplyPasses("x+OKy rest\r\n"));
  EXPECT_FALSE(pop3::ReplyPasses("-ERR +OK\r\n"));
  EXPECT_FALSE(pop3::ReplyPasses(" +OK\r\n"));
  EXPECT_FALSE(pop3::ReplyPasses(""));
}

}  // namespace
