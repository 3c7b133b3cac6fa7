#pragma once

#include <array>
#include <string_view>

namespace codec {

// The two codes of the coder: Base64 (the MIME form) and UU.
enum UUMethods { uuMime = 0, uuCode = 1 };

// The Base64 alphabet of RFC 2045: value v is kBase64Alphabet[v].
inline constexpr std::string_view kBase64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The UU alphabet: value 0 is the grave accent, value v from 1 to 63 is the
// character with code 32 + v.
inline constexpr std::string_view kUUAlphabet =
    "`!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_";

static_assert(kBase64Alphabet.size() == 64 && kUUAlphabet.size() == 64);

// Entries of the Base64 digit table.
inline constexpr unsigned char kBase64Pad = 64;        // "="
inline constexpr unsigned char kBase64NotDigit = 127;  // anything else

// The Base64 digit table over every byte value: the inverse of the alphabet
// for its 64 characters, kBase64Pad for "=", kBase64NotDigit for every other
// character (inside "+" to "z" or outside it alike).
inline constexpr std::array<unsigned char, 256> kBase64Digits = [] {
  std::array<unsigned char, 256> table{};
  table.fill(kBase64NotDigit);
  for (unsigned v = 0; v < 64; ++v) table[static_cast<unsigned char>(kBase64Alphabet[v])] = static_cast<unsigned char>(v);
  table['='] = kBase64Pad;
  return table;
}();

inline constexpr unsigned char Base64Value(char c) { return kBase64Digits[static_cast<unsigned char>(c)]; }
inline constexpr bool IsBase64Digit(char c) { return Base64Value(c) < 64; }

// Value of a hexadecimal digit in either letter case; -1 for any other
// character. The one reading of hex digits for quoted-printable text,
// encoded words and RFC 2231 escapes.
inline constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// UU value of a character: (code - 32) AND 63, so space and "`" both give 0.
inline constexpr unsigned char UUValue(char c) {
  return static_cast<unsigned char>((static_cast<unsigned char>(c) - 32) & 63);
}

}  // namespace codec
