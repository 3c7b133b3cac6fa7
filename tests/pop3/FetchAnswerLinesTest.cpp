// The lines of a RETR answer: line ends, stuffed dots, the terminating
// line and the caps on what the server may send.

#include <deque>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/core/Exception.h"
#include "pop3/Pop3Fetch.h"

namespace {

using Lines = std::vector<std::string>;

class AnswerLines : public ::testing::Test {
 protected:
  pop3::TAnswerLines Reader(std::size_t maxBytes = pop3::kMaxMessageBytes,
                            std::size_t maxLines = pop3::kMaxMessageLines) {
    return pop3::TAnswerLines(
        [this] {
          if (wire_.empty()) throw std::runtime_error("read past the answer");
          std::string line = wire_.front();
          wire_.pop_front();
          return line;
        },
        [this] { ++dropped_; }, maxBytes, maxLines);
  }

  // Every line up to the terminating one.
  Lines ReadAll(pop3::TAnswerLines reader) {
    Lines lines;
    std::string line;
    while (reader.Next(line)) lines.push_back(line);
    return lines;
  }

  std::deque<std::string> wire_;
  int dropped_ = 0;
};

TEST_F(AnswerLines, StripsLineEndsAndStuffedDotsAndStopsAtTheTerminator) {
  wire_ = {"plain\r\n", "bare lf\n", "..stuffed\r\n", "...two\r\n", "..\r\n", "\r\n", ".\r\n", "after\r\n"};
  EXPECT_EQ(ReadAll(Reader()), (Lines{"plain", "bare lf", ".stuffed", "..two", ".", ""}));
  EXPECT_EQ(wire_.size(), 1u) << "nothing after the terminating line is read";
  EXPECT_EQ(dropped_, 0);
}

TEST_F(AnswerLines, DotWithoutLineEndIsNoTerminator) {
  wire_ = {".", ".\n"};
  EXPECT_EQ(ReadAll(Reader()), Lines{"."});
}

TEST_F(AnswerLines, TooManyBytesDropTheConnectionAndFail) {
  wire_ = {"12345678\r\n", "12345678\r\n", "1\r\n", ".\r\n"};
  auto reader = Reader(21, 100);
  std::string line;
  EXPECT_TRUE(reader.Next(line));
  EXPECT_TRUE(reader.Next(line));
  EXPECT_EQ(dropped_, 0);
  try {
    reader.Next(line);
    ADD_FAILURE() << "no failure past the byte cap";
  } catch (const platform::Exception& error) {
    EXPECT_STREQ(error.what(), "Message too large (more than 21 bytes or 100 lines); connection closed");
  }
  EXPECT_EQ(dropped_, 1);
}

TEST_F(AnswerLines, TooManyLinesDropTheConnectionAndFail) {
  wire_ = {"\r\n", "\r\n", "\r\n", ".\r\n"};
  EXPECT_THROW(ReadAll(Reader(1000, 2)), platform::Exception);
  EXPECT_EQ(dropped_, 1);
  wire_ = {"\r\n", "\r\n", ".\r\n"};
  EXPECT_EQ(ReadAll(Reader(1000, 3)), (Lines{"", ""}));
}

}  // namespace
