#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace codec {

// Appends the UTF-8 form of the code point c to out; a code point that
// UTF-8 cannot carry (NUL, a surrogate, past U+10FFFF) as U+FFFD.
void AppendUtf8(std::string& out, char32_t c);

// One piece of text read as UTF-8: a whole character, or ill-formed bytes.
struct Utf8Piece {
  std::size_t Length = 1;   // bytes the piece takes, at least 1
  bool WellFormed = false;  // a whole character: no overlong form, no surrogate, nothing past U+10FFFF
  bool CutShort = false;    // ill-formed: the start of a character whose remaining bytes are missing
  char32_t CodePoint = 0;   // the character, when WellFormed
};

// The piece of text that starts at text[at] (at < text.size()). Ill-formed
// bytes are taken as Unicode's "maximal subparts" (the longest start of a
// well-formed sequence, at least one byte), so that one replacement
// character per piece is what other decoders that replace (Python's
// "replace", browsers) show.
Utf8Piece NextUtf8Piece(std::string_view text, std::size_t at);

}  // namespace codec
