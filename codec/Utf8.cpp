#include "codec/Utf8.h"

namespace codec {

void AppendUtf8(std::string& out, char32_t c) {
  if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

Utf8Piece NextUtf8Piece(std::string_view text, std::size_t at) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data()) + at;
  const std::size_t available = text.size() - at;
  const unsigned char first = s[0];
  if (first < 0x80) return {1, true, false, first};
  std::size_t length;
  char32_t c;
  // The second byte's range excludes overlong forms (after E0, F0),
  // surrogates (after ED) and code points past U+10FFFF (after F4).
  unsigned char low = 0x80, high = 0xBF;
  if (first >= 0xC2 && first <= 0xDF) {
    length = 2;
    c = first & 0x1F;
  } else if (first >= 0xE0 && first <= 0xEF) {
    length = 3;
    c = first & 0x0F;
    if (first == 0xE0) low = 0xA0;
    if (first == 0xED) high = 0x9F;
  } else if (first >= 0xF0 && first <= 0xF4) {
    length = 4;
    c = first & 0x07;
    if (first == 0xF0) low = 0x90;
    if (first == 0xF4) high = 0x8F;
  } else {
    return {};  // a continuation byte, or one that starts no sequence (C0, C1, F5 to FF)
  }
  for (std::size_t k = 1; k < length; ++k) {
    if (k >= available || s[k] < low || s[k] > high) return {k, false, true, 0};
    c = (c << 6) | (s[k] & 0x3F);
    low = 0x80;
    high = 0xBF;
  }
  return {length, true, false, c};
}

}  // namespace codec
