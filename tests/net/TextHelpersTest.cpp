#include <gtest/gtest.h>

#include <string>

#include "net/LineSocket.h"

namespace {

using net::NthWord;

TEST(NthWordTest, SplitsAtEverySeparator) {
  EXPECT_EQ(NthWord("+OK 2 320", ' ', 1), "+OK");
  EXPECT_EQ(NthWord("+OK 2 320", ' ', 2), "2");
  EXPECT_EQ(NthWord("+OK 2 320", ' ', 3), "320");
  EXPECT_EQ(NthWord("a  b", ' ', 2), "");
  EXPECT_EQ(NthWord("a  b", ' ', 3), "b");
  EXPECT_EQ(NthWord(" lead", ' ', 1), "");
  EXPECT_EQ(NthWord(" lead", ' ', 2), "lead");
  EXPECT_EQ(NthWord("trail ", ' ', 2), "");
}

TEST(NthWordTest, MissingFieldsAreEmpty) {
  EXPECT_EQ(NthWord("abc", ' ', 1), "abc");
  EXPECT_EQ(NthWord("abc", ' ', 2), "");
  EXPECT_EQ(NthWord("+OK 2 320", ' ', 4), "");
  EXPECT_EQ(NthWord("+OK 2 320", ' ', 0), "");
  for (int n = 1; n <= 3; ++n) EXPECT_EQ(NthWord("", ' ', n), "") << n;
}

TEST(LookupErrorMessageTest, GivesNumberColonTextOrUnknown) {
  net::TLineSocket socket(nullptr);
  std::string text = "stale";
  socket.LookupErrorMessage(10061, text);
  EXPECT_EQ(text, "10061:Connection refused");
  socket.LookupErrorMessage(11001, text);
  EXPECT_EQ(text, "11001:Host not found");
  socket.LookupErrorMessage(10057, text);
  EXPECT_EQ(text, "10057:Socket is not connected");
  socket.LookupErrorMessage(12345, text);
  EXPECT_EQ(text, "Unknown Error No. 12345");
  socket.LookupErrorMessage(0, text);
  EXPECT_EQ(text, "");
}

}  // namespace
