#include "platform/gui/qt/TextLines.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/gui/qt/Text.h"

// The text view's model of its text: lines, how their bytes read, and the
// characters drawn for them.
namespace {

using platform::qt::ShowPiece;
using platform::qt::TextLines;

std::vector<std::string> LinesOf(const TextLines& lines) {
  std::vector<std::string> shown;
  for (std::size_t i = 0; i < lines.LineCount(); ++i) {
    shown.emplace_back(lines.BytesOf(lines.LineAt(i)));
  }
  return shown;
}

// The text split at its line ends the plain way, for comparison.
std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> split{""};
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    if (text[pos] == '\r' || text[pos] == '\n') {
      if (text.substr(pos, 2) == "\r\n") ++pos;
      split.emplace_back();
    } else {
      split.back() += text[pos];
    }
  }
  return split;
}

// Every position of a line, from its begin to its end, belongs to it.
void ExpectPositionsFindTheirLines(const TextLines& lines) {
  for (std::size_t i = 0; i < lines.LineCount(); ++i) {
    const TextLines::Line line = lines.LineAt(i);
    for (std::size_t position = line.begin; position <= line.end; position += 1 + (line.end - line.begin) / 7)
      ASSERT_EQ(lines.LineOf(position), i) << "position " << position;
    ASSERT_EQ(lines.LineOf(line.end), i);
  }
}

TEST(TextLines, CrLfLoneLfAndLoneCrEndLines) {
  struct Row {
    std::string text;
    std::vector<std::string> lines;
  };
  const Row rows[] = {
      {"", {""}},
      {"no line end", {"no line end"}},
      {"one\r\n", {"one", ""}},
      {"a\nb\rc\r\nd", {"a", "b", "c", "d"}},
      {"\r\r\n\n", {"", "", "", ""}},
      {"\n\r", {"", "", ""}},
      {"cr before crlf\r\r\nx", {"cr before crlf", "", "x"}},
  };
  for (const Row& row : rows) {
    TextLines lines;
    lines.Assign(row.text);
    EXPECT_EQ(LinesOf(lines), row.lines) << row.text;
    EXPECT_EQ(lines.Text(), row.text);
    ExpectPositionsFindTheirLines(lines);
  }
}

// Only some line starts are kept: every line must still be found, across
// many short lines and lines of more than the 64 KiB between kept starts.
TEST(TextLines, EveryLineIsFoundInALargeText) {
  const std::string ends[] = {"\r\n", "\n", "\r"};
  std::string text;
  for (int line = 0; line < 3000; ++line) {
    const std::size_t length = line % 500 == 7 ? 70000 + line : line % 13;
    text += std::string(length, static_cast<char>('a' + line % 26)) + ends[line % 3];
  }
  text += "last";
  TextLines lines;
  lines.Assign(text);
  EXPECT_EQ(LinesOf(lines), SplitLines(text));
  ExpectPositionsFindTheirLines(lines);
  EXPECT_EQ(lines.WidestLine(), 2507u);
  EXPECT_EQ(lines.WidestColumns(), 70000u + 2507u);

  lines.Assign(std::string());
  EXPECT_EQ(lines.LineCount(), 1u);
  EXPECT_LT(lines.Text().capacity(), 64u) << "the large text's storage was kept";
}

// The lines as drawn, joined, are what the toolkit's own decoder makes of
// the whole text: the same choice of UTF-8 or Latin-1 (one byte anywhere
// decides), the same code points, NUL shown, a byte order mark dropped at
// the very start only.
TEST(TextLines, LinesAreShownAsTheToolkitDecodesTheWholeText) {
  const std::string utf8 = std::string("plain\r\ncaf\xc3\xa9 \xe2\x82\xac\r\nnul\0\r\n", 24) +
                           "smile \xf0\x9f\x98\x80\n\xef\xbb\xbf" "bom inside\rnonchar \xef\xbf\xbf\r\n";
  const std::string texts[] = {
      utf8, "\xef\xbb\xbf" + utf8, utf8 + "caf\xe9\r\n", "caf\xe9\n" + utf8, utf8 + "cut \xc3",
      utf8 + "overlong \xc0\xaf", utf8 + "surrogate \xed\xa0\x80", utf8 + "past U+10FFFF \xf4\x90\x80\x80",
      utf8 + "lone continuation \x80", "\xef\xbb\xbf", "\xef\xbb\xbf\xff",
  };
  for (const std::string& text : texts) {
    TextLines lines;
    lines.Assign(text);
    QString joined;
    for (std::size_t i = 0; i < lines.LineCount(); ++i) {
      const TextLines::Line line = lines.LineAt(i);
      if (i > 0) joined += QLatin1Char('\n');
      joined += ShowPiece(lines.BytesOf(line), lines.Utf8()).text;
    }
    EXPECT_EQ(joined, platform::qt::ToQtLines(text)) << text;
  }
}

// Which line is widest counts characters (a tab to the next multiple of
// eight) as the text reads: UTF-8 sequences as one, Latin-1 bytes each.
TEST(TextLines, WidestLineCountsCharactersAndTabStops) {
  struct Row {
    std::string text;
    std::size_t line;
    std::size_t columns;
  };
  const Row rows[] = {
      {"a\tb\r\ncaf\xc3\xa9 au lait", 1, 12},
      {"a\tb\r\ncaf\xe9", 0, 9},
      {"\xe2\x82\xac\xe2\x82\xac\xe2\x82\xac\nabcd\n", 1, 4},
      {"1234567\t\r12345678\t", 1, 16},
      {"", 0, 0},
  };
  for (const Row& row : rows) {
    TextLines lines;
    lines.Assign(row.text);
    EXPECT_EQ(lines.WidestLine(), row.line) << row.text;
    EXPECT_EQ(lines.WidestColumns(), row.columns) << row.text;
  }
}

// Each UTF-16 unit drawn maps back to the first byte of its character.
TEST(TextLines, ShownUnitsMapBackToTheirBytes) {
  EXPECT_EQ(ShowPiece("a\tb", true).byteOf, (std::vector<std::uint32_t>{0, 1, 2, 3}));
  EXPECT_EQ(ShowPiece("\xc3\xa9\xf0\x9f\x98\x80!", true).byteOf, (std::vector<std::uint32_t>{0, 2, 2, 6, 7}));
  EXPECT_EQ(ShowPiece("\xc3\xa9", false).byteOf, (std::vector<std::uint32_t>{0, 1, 2}));
  EXPECT_EQ(ShowPiece("\xc3\xa9", false).text, QString::fromUtf8("\xc3\x83\xc2\xa9"));
}

}  // namespace
