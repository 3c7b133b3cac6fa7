#include "codec/UUDecoder.h"

#include <algorithm>

#include "codec/CodecTables.h"

namespace codec {

namespace {

// Longest output of one line: the count character can say at most 63.
constexpr std::size_t kMaxLineBytes = 63;

// Writes the bytes of one data line whose count is n (1 to 63).
// Characters beyond the line's end count as 0 and are never read.
unsigned char* DecodeDataLine(std::string_view line, unsigned n, unsigned char* out) {
  const char* text = line.data();
  const std::size_t size = line.size();
  std::size_t i = 1;
  int left = static_cast<int>(n);
  // Full groups while all four characters are within the line.
  for (; left > 3 && i + 3 < size; left -= 3, i += 4) {
    const unsigned a = UUValue(text[i]), b = UUValue(text[i + 1]);
    const unsigned c = UUValue(text[i + 2]), d = UUValue(text[i + 3]);
    out[0] = static_cast<unsigned char>((a << 2) | (b >> 4));
    out[1] = static_cast<unsigned char>((b << 4) | (c >> 2));
    out[2] = static_cast<unsigned char>((c << 6) | d);
    out += 3;
  }
  auto value = [text, size](std::size_t k) -> unsigned { return k < size ? UUValue(text[k]) : 0U; };
  for (; left > 0; left -= 3, i += 4) {
    const unsigned a = value(i), b = value(i + 1), c = value(i + 2), d = value(i + 3);
    *out++ = static_cast<unsigned char>((a << 2) | (b >> 4));
    if (left >= 2) *out++ = static_cast<unsigned char>((b << 4) | (c >> 2));
    if (left >= 3) *out++ = static_cast<unsigned char>((c << 6) | d);
  }
  return out;
}

}  // namespace

void UUDecoder::LineText(std::string_view text) {
  for (std::size_t i = 0; blanksAfterEnd_ && i < text.size(); ++i) {
    if (length_ + i >= 3 && text[i] != ' ' && text[i] != '\t') {
      blanksAfterEnd_ = false;
      break;
    }
  }
  const std::size_t n = std::min(text.size(), kHeldCharacters - held_);
  text.copy(line_ + held_, n);
  held_ += n;
  length_ += text.size();
}

void UUDecoder::LineEnd() {
  const bool endLine = std::string_view(line_, held_).starts_with("end") && blanksAfterEnd_;
  const std::size_t length = length_;
  held_ = length_ = 0;
  blanksAfterEnd_ = true;
  TakeLine(std::string_view(line_, std::min(length, kHeldCharacters)), length, endLine);
}

void UUDecoder::WholeLine(std::string_view line) {
  TakeLine(line, line.size(), line.starts_with("end") && line.find_first_not_of(" \t", 3) == std::string_view::npos);
}

void UUDecoder::TakeLine(std::string_view line, std::size_t length, bool endLine) {
  if (dropNextLine_) {
    dropNextLine_ = false;
    return;
  }
  if (length <= 2 || line.starts_with("begin ")) return;
  if (endLine) {
    lines_.Stop();
    return;
  }
  const unsigned n = UUValue(line[0]);
  if (n == 0) {
    // The zero-count line closes the data; the line after it is dropped.
    dropNextLine_ = true;
    return;
  }
  unsigned char* out = sink_.Reserve(kMaxLineBytes);
  sink_.Commit(DecodeDataLine(line, n, out));
}

}  // namespace codec
