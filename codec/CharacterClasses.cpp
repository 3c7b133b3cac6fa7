#include "codec/CharacterClasses.h"

#include "codec/Utf8.h"

#include <algorithm>
#include <iterator>

namespace codec {

namespace {

struct Range {
  char32_t First;
  char32_t Last;
};

// Categories Cc, Cf, Zl and Zp, in ascending order.
constexpr Range kControlOrFormat[] = {
    {0x0000, 0x001F},   {0x007F, 0x009F},   {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},
    {0x06DD, 0x06DD},   {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
    {0x200B, 0x200F},   {0x2028, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},   {0xFEFF, 0xFEFF},
    {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3},
    {0x1D173, 0x1D17A}, {0xE0001, 0xE0001}, {0xE0020, 0xE007F},
};

// Category Zs, in ascending order.
constexpr Range kSpaceSeparators[] = {
    {0x0020, 0x0020}, {0x00A0, 0x00A0}, {0x1680, 0x1680}, {0x2000, 0x200A},
    {0x202F, 0x202F}, {0x205F, 0x205F}, {0x3000, 0x3000},
};

template <std::size_t N>
constexpr bool Sorted(const Range (&ranges)[N]) {
  for (std::size_t i = 0; i < N; ++i) {
    if (ranges[i].First > ranges[i].Last) return false;
    if (i > 0 && ranges[i - 1].Last >= ranges[i].First) return false;
  }
  return true;
}
static_assert(Sorted(kControlOrFormat) && Sorted(kSpaceSeparators));

template <std::size_t N>
bool InRanges(const Range (&ranges)[N], char32_t c) {
  // The first range that does not end before c.
  const Range* found = std::lower_bound(std::begin(ranges), std::end(ranges), c,
                                        [](const Range& range, char32_t value) { return range.Last < value; });
  return found != std::end(ranges) && found->First <= c;
}

}  // namespace

bool IsControlOrFormat(char32_t c) { return InRanges(kControlOrFormat, c); }

bool IsDirectionOverride(char32_t c) { return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069); }

// Every such character is three bytes in UTF-8, starting E2 80 or E2 81:
// text without an E2 byte is handed back as it is.
std::string WithoutDirectionOverrides(std::string text) {
  if (text.find('\xE2') == std::string::npos) return text;
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const Utf8Piece piece = NextUtf8Piece(text, at);
    if (!piece.WellFormed || !IsDirectionOverride(piece.CodePoint)) out.append(text, at, piece.Length);
    at += piece.Length;
  }
  return out;
}

bool IsSpaceSeparator(char32_t c) { return InRanges(kSpaceSeparators, c); }

}  // namespace codec
