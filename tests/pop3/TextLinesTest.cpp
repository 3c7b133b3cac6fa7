// The buffer that holds a message's display text once: lines handed out as
// their display pieces, read back whole where they lie.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "pop3/DisplayLines.h"
#include "pop3/StringList.h"
#include "pop3/TextLines.h"

namespace {

TEST(TextLines, LongLinesComeAsPiecesAndReadBackWhole) {
  std::string longLine;
  for (int i = 0; i < 500; ++i) longLine += "ab\xC3\xA9 ";  // 2,500 bytes, a two-byte character in every five
  pop3::TextLines lines;
  for (const char* line : {"first", ""}) lines.Add(line);
  lines.Add(longLine);
  lines.Add("last");

  ASSERT_EQ(lines.Count(), 6);
  std::string joined;
  for (int i = 2; i < 5; ++i) {
    EXPECT_LE(lines[i].size(), pop3::kMaxDisplayLineBytes);
    EXPECT_NE(static_cast<unsigned char>(lines[i].front()) & 0xC0, 0x80) << "a character was split";
    joined += lines[i];
  }
  EXPECT_EQ(joined, longLine);
  EXPECT_EQ(lines[5], "last");
  EXPECT_EQ(lines.Text(0, lines.Count()), "first\r\n\r\n" + longLine + "\r\nlast\r\n");
  EXPECT_EQ(lines.Text(2, 5), longLine + "\r\n");
  EXPECT_THROW(lines.Text(3, 5), pop3::EListError) << "a text must start at a whole line";
  EXPECT_THROW(lines[6], pop3::EListError);

  std::vector<std::string> whole;
  lines.ForEachLine([&whole](std::string_view line) { whole.emplace_back(line); });
  EXPECT_EQ(whole, (std::vector<std::string>{"first", "", longLine, "last"}));

  const pop3::TextLines moved = std::move(lines);
  EXPECT_TRUE(lines.Empty());
  EXPECT_EQ(moved.Text(0, moved.Count()), "first\r\n\r\n" + longLine + "\r\nlast\r\n");
}

}  // namespace
