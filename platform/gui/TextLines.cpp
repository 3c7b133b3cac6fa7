#include "platform/gui/qt/TextLines.h"

#include <algorithm>

#include "platform/gui/qt/Text.h"

namespace platform::qt {

namespace {

constexpr std::size_t kMarkLines = 64;
constexpr std::size_t kMarkBytes = 64 * 1024;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The UTF-8 sequence at bytes[pos] and the code point it stands for;
// 0 when it is not valid UTF-8 (overlong forms, surrogates and code points
// past U+10FFFF are not, as for the toolkit's decoder).
std::size_t DecodeUtf8(std::string_view bytes, std::size_t pos, char32_t& code) {
  const auto lead = static_cast<unsigned char>(bytes[pos]);
  std::size_t length = 0;
  char32_t lowest = 0;
  if (lead < 0x80) {
    code = lead;
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F, lowest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F, lowest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07, lowest = 0x10000;
  } else {
    return 0;
  }
  if (bytes.size() - pos < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(bytes[pos + i]);
    if (!IsContinuation(next)) return 0;
    code = (code << 6) | (next & 0x3F);
  }
  if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

// The columns of a line so far, counted both ways the text may read, and
// the widest line each way.
struct Columns {
  std::size_t utf8 = 0;
  std::size_t latin1 = 0;
};

struct Widest {
  std::size_t line = 0;
  std::size_t columns = 0;

  void Take(std::size_t index, std::size_t lineColumns) {
    if (lineColumns > columns) *this = Widest{index, lineColumns};
  }
};

}  // namespace

std::size_t CharLength(std::string_view bytes, std::size_t pos, bool utf8) {
  char32_t code = 0;
  const std::size_t length = utf8 ? DecodeUtf8(bytes, pos, code) : 1;
  return length == 0 ? 1 : length;
}

// One pass over the text: line ends, the marks, validity as UTF-8 and the
// widest line. Characters are counted as UTF-8 and as Latin-1 at once, as
// which of the two the text reads as is known only at its end.
void TextLines::Assign(std::string text) {
  text_.swap(text);
  std::string().swap(text);
  std::vector<Mark>{Mark{0, 0}}.swap(marks_);
  lineCount_ = 1;
  utf8_ = true;
  Widest widestUtf8;
  Widest widestLatin1;
  Columns columns;
  const std::string_view bytes = text_;
  auto endLine = [&](std::size_t next) {
    widestUtf8.Take(lineCount_ - 1, columns.utf8);
    widestLatin1.Take(lineCount_ - 1, columns.latin1);
    columns = Columns{};
    const Mark& last = marks_.back();
    if (lineCount_ - last.line >= kMarkLines || next - last.begin >= kMarkBytes) marks_.push_back({lineCount_, next});
    ++lineCount_;
  };
  for (std::size_t pos = 0; pos < bytes.size();) {
    const char byte = bytes[pos];
    if (byte == '\n' || byte == '\r') {
      pos += (byte == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n') ? 2 : 1;
      endLine(pos);
      continue;
    }
    if (byte == '\t') {
      columns.utf8 = NextTabStop(columns.utf8);
      columns.latin1 = NextTabStop(columns.latin1);
      ++pos;
      continue;
    }
    std::size_t length = 1;
    if (static_cast<unsigned char>(byte) >= 0x80 && utf8_) {
      char32_t code = 0;
      length = DecodeUtf8(bytes, pos, code);
      if (length == 0) utf8_ = false;
      length = std::max<std::size_t>(length, 1);
    }
    ++columns.utf8;
    columns.latin1 += length;
    pos += length;
  }
  widestUtf8.Take(lineCount_ - 1, columns.utf8);
  widestLatin1.Take(lineCount_ - 1, columns.latin1);
  widestLine_ = utf8_ ? widestUtf8.line : widestLatin1.line;
  widestColumns_ = utf8_ ? widestUtf8.columns : widestLatin1.columns;
  if (utf8_ && bytes.starts_with(kByteOrderMark)) marks_.front().begin = kByteOrderMark.size();
}

std::size_t TextLines::EndOfLine(std::size_t begin) const {
  std::size_t end = begin;
  while (end < text_.size() && text_[end] != '\n' && text_[end] != '\r') ++end;
  return end;
}

std::size_t TextLines::NextLineBegin(std::size_t end) const {
  return end + ((text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n') ? 2 : 1);
}

TextLines::Line TextLines::LineAt(std::size_t index) const {
  auto after = std::upper_bound(marks_.begin(), marks_.end(), index,
                                [](std::size_t line, const Mark& mark) { return line < mark.line; });
  std::size_t begin = (after - 1)->begin;
  for (std::size_t line = (after - 1)->line;; ++line) {
    const std::size_t end = EndOfLine(begin);
    if (line == index) return Line{begin, end};
    begin = NextLineBegin(end);
  }
}

std::size_t TextLines::LineOf(std::size_t position) const {
  auto after = std::upper_bound(marks_.begin() + 1, marks_.end(), position,
                                [](std::size_t at, const Mark& mark) { return at < mark.begin; });
  std::size_t begin = (after - 1)->begin;
  for (std::size_t line = (after - 1)->line;; ++line) {
    const std::size_t end = EndOfLine(begin);
    if (position <= end || end == text_.size()) return line;
    begin = NextLineBegin(end);
  }
}

ShownPiece ShowPiece(std::string_view bytes, bool utf8) {
  ShownPiece shown;
  shown.text.reserve(static_cast<qsizetype>(bytes.size()));
  shown.byteOf.reserve(bytes.size() + 1);
  auto add = [&shown](char16_t unit, std::size_t byte) {
    shown.text.append(QChar(unit));
    shown.byteOf.push_back(static_cast<std::uint32_t>(byte));
  };
  for (std::size_t pos = 0; pos < bytes.size();) {
    const auto byte = static_cast<unsigned char>(bytes[pos]);
    char32_t code = byte;
    const std::size_t length = (utf8 && byte >= 0x80) ? DecodeUtf8(bytes, pos, code) : 1;
    if (length == 0) code = 0xFFFD;  // cannot happen in a text that reads as UTF-8
    if (code == 0) code = kSymbolForNull;
    if (code >= 0x10000) {
      add(QChar::highSurrogate(code), pos);
      add(QChar::lowSurrogate(code), pos);
    } else {
      add(static_cast<char16_t>(code), pos);
    }
    pos += std::max<std::size_t>(length, 1);
  }
  shown.byteOf.push_back(static_cast<std::uint32_t>(bytes.size()));
  return shown;
}

QString ToQtCopy(std::string_view bytes, bool utf8) {
  const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QString copied = utf8 ? QString::fromUtf8(view) : QString::fromLatin1(view);
  copied.replace(QChar(u'\0'), QChar(kSymbolForNull));
  return copied;
}

}  // namespace platform::qt
