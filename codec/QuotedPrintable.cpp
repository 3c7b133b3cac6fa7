#include "codec/QuotedPrintable.h"

namespace codec {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string DecodeQuotedPrintable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i++];
    if (c != '=') {
      out += c;
      continue;
    }
    if (i >= text.size()) break;
    const char next = text[i];
    if (next == '\r' || next == '\n') {
      // Soft line break: skip to just after the line feed.
      while (i < text.size() && text[i] != '\n') ++i;
      if (i < text.size()) ++i;
    } else if (next == '=') {
      out += '=';
      ++i;
    } else if (i + 1 < text.size() && HexDigit(next) >= 0 && HexDigit(text[i + 1]) >= 0) {
      out += static_cast<char>(HexDigit(next) * 16 + HexDigit(text[i + 1]));
      i += 2;
    } else {
      out += '=';
    }
  }
  return out;
}

}  // namespace codec
