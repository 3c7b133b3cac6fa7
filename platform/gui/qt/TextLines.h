#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::qt {

// A text held once, as the program's bytes, with what showing it a line at
// a time needs: where its lines start, how its bytes read, and how wide its
// widest line is. CR LF, a lone LF and a lone CR each end a line; a text
// that ends with a line end has an empty last line, and the empty text has
// one empty line.
//
// The text reads as UTF-8 when all of it is valid UTF-8, otherwise all of
// it as Latin-1, so that no byte is ever lost on screen (the choice of
// ToQt). A UTF-8 byte order mark at the very start is not shown.
//
// Only every 64th line start (or one every 64 KiB, for long lines) is
// kept: finding a line scans at most that far, and a text of nothing but
// line ends needs no index larger than itself.
class TextLines {
 public:
  // A line's shown bytes: Text()[begin, end), without its line end.
  struct Line {
    std::size_t begin = 0;
    std::size_t end = 0;
  };

  // Takes text over and indexes it; the previous text's storage is freed.
  void Assign(std::string text);

  const std::string& Text() const { return text_; }
  std::size_t LineCount() const { return lineCount_; }
  // index < LineCount().
  Line LineAt(std::size_t index) const;
  std::string_view BytesOf(const Line& line) const {
    return std::string_view(text_).substr(line.begin, line.end - line.begin);
  }
  // The line that holds position, an offset in Text() no further than the
  // text's end (a position inside a line end is taken as that line's end).
  std::size_t LineOf(std::size_t position) const;
  bool Utf8() const { return utf8_; }
  // The line of the most columns (one a character, a tab up to the next
  // multiple of eight; the first of several), and its columns.
  std::size_t WidestLine() const { return widestLine_; }
  std::size_t WidestColumns() const { return widestColumns_; }

 private:
  struct Mark {
    std::size_t line;
    std::size_t begin;
  };

  // Where the line starting at begin ends, and where the next one begins
  // after the line end at end.
  std::size_t EndOfLine(std::size_t begin) const;
  std::size_t NextLineBegin(std::size_t end) const;

  std::string text_;
  std::vector<Mark> marks_{Mark{0, 0}};
  std::size_t lineCount_ = 1;
  bool utf8_ = true;
  std::size_t widestLine_ = 0;
  std::size_t widestColumns_ = 0;
};

// Tabs stop at every eighth column (drawn: eight average characters).
constexpr std::size_t kTabColumns = 8;
constexpr std::size_t NextTabStop(std::size_t column) { return (column / kTabColumns + 1) * kTabColumns; }

// The length of the character starting at bytes[pos]: its UTF-8 sequence
// when utf8 and the sequence is valid, else 1.
std::size_t CharLength(std::string_view bytes, std::size_t pos, bool utf8);

// Bytes of a line as they are drawn: UTF-8 or Latin-1 decoded, NUL as the
// symbol for null (U+2400). byteOf holds, for each UTF-16 unit of text and
// one past its end, the offset in bytes where the character it shows
// starts.
struct ShownPiece {
  QString text;
  std::vector<std::uint32_t> byteOf;
};
ShownPiece ShowPiece(std::string_view bytes, bool utf8);

// The bytes as the clipboard gets them: decoded as the text reads, line
// ends and tabs as they are, NUL as it is shown.
QString ToQtCopy(std::string_view bytes, bool utf8);

}  // namespace platform::qt
