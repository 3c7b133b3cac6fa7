#include "codec/TextCase.h"

#include "codec/Utf8.h"

#include <cstddef>

namespace codec {

namespace {

bool Between(char32_t c, char32_t first, char32_t last) { return c >= first && c <= last; }

// In ranges where capitals and small letters alternate: the small letter
// is the one of the other parity than the range's first (capital) letter.
char32_t PairedCapital(char32_t c, char32_t firstCapital) {
  return (c - firstCapital) % 2 == 1 ? c - 1 : c;
}

}  // namespace

char32_t UpperCaseLetter(char32_t c) {
  if (Between(c, 'a', 'z')) return c - 0x20;
  if (c == 0xB5) return 0x39C;  // the micro sign's capital is Greek Mu
  if (c < 0xE0) return c;
  // Latin-1 Supplement.
  if (Between(c, 0xE0, 0xFE)) return c == 0xF7 ? c : c - 0x20;
  if (c == 0xFF) return 0x178;
  // Latin Extended-A.
  if (Between(c, 0x100, 0x12F) || Between(c, 0x132, 0x137) || Between(c, 0x14A, 0x177))
    return PairedCapital(c, c <= 0x12F ? 0x100 : c <= 0x137 ? 0x132 : 0x14A);
  if (c == 0x131) return 'I';
  if (Between(c, 0x139, 0x148) || Between(c, 0x179, 0x17E))
    return PairedCapital(c, c <= 0x148 ? 0x139 : 0x179);
  if (c == 0x17F) return 'S';
  // Greek.
  if (c == 0x3AC) return 0x386;
  if (Between(c, 0x3AD, 0x3AF)) return c - 0x25;
  if (c == 0x3C2) return 0x3A3;
  if (Between(c, 0x3B1, 0x3CB)) return c - 0x20;
  if (c == 0x3CC) return 0x38C;
  if (Between(c, 0x3CD, 0x3CE)) return c - 0x3F;
  // Cyrillic.
  if (Between(c, 0x430, 0x44F)) return c - 0x20;
  if (Between(c, 0x450, 0x45F)) return c - 0x50;
  if (Between(c, 0x460, 0x481) || Between(c, 0x48A, 0x4BF) || Between(c, 0x4D0, 0x52F))
    return PairedCapital(c, c <= 0x481 ? 0x460 : c <= 0x4BF ? 0x48A : 0x4D0);
  if (Between(c, 0x4C1, 0x4CE)) return PairedCapital(c, 0x4C1);
  if (c == 0x4CF) return 0x4C0;
  // Armenian.
  if (Between(c, 0x561, 0x586)) return c - 0x30;
  // Latin Extended Additional.
  if (Between(c, 0x1E00, 0x1E95) || Between(c, 0x1EA0, 0x1EFF))
    return PairedCapital(c, c <= 0x1E95 ? 0x1E00 : 0x1EA0);
  if (c == 0x1E9B) return 0x1E60;
  // Full-width Latin.
  if (Between(c, 0xFF41, 0xFF5A)) return c - 0x20;
  return c;
}

std::string UpperCaseText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      out += static_cast<char>(b >= 'a' && b <= 'z' ? b - 0x20 : b);
      ++i;
      continue;
    }
    const Utf8Piece piece = NextUtf8Piece(text, i);
    if (!piece.WellFormed) {
      out += text[i++];
      continue;
    }
    AppendUtf8(out, UpperCaseLetter(piece.CodePoint));
    i += piece.Length;
  }
  return out;
}

}  // namespace codec
