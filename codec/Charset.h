#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace codec {

// Text of a message in the charset it names, brought to UTF-8 through the
// C library's iconv. Every function here returns valid UTF-8 or nothing;
// none raises.

// Whether text is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF). ASCII is.
bool IsUtf8(std::string_view text);

// Each byte as the Unicode character of the same number (ISO-8859-1).
std::string Latin1ToUtf8(std::string_view bytes);

// Bytes of no known charset as the program shows 8-bit text everywhere:
// well-formed UTF-8 as it is; UTF-8 in which characters were cut short (at
// least one whole multi-byte character, and nothing ill-formed but the
// starts of characters whose remaining bytes are missing) with one U+FFFD
// for each cut character; anything else byte by byte as ISO-8859-1, so
// that every byte shows as a character.
std::string ShownAsEightBit(std::string_view bytes);

// bytes, written in charset, in UTF-8. charset is matched as mail writes
// it: any case, iconv's aliases, the mail aliases iconv lacks
// (ks_c_5601-1987, x-sjis, iso-8859-8-i, ...), a RFC 2231 language suffix
// ("utf-8*de") ignored. Labels that are commonly used for their superset
// (gb2312, ks_c_5601-1987) are read as that superset. Nothing when the
// charset is unknown, is no plain name, or bytes are not valid in it.
std::optional<std::string> ConvertToUtf8(std::string_view bytes, std::string_view charset);

// ConvertToUtf8, falling back to ShownAsEightBit.
std::string DecodeCharset(std::string_view bytes, std::string_view charset);
// The same for bytes the caller gives up: where they are already what
// DecodeCharset returns (ASCII in most charsets, well-formed UTF-8 in
// UTF-8 or in none known), they are handed back as they are, uncopied: a
// text may be a whole large message.
std::string DecodeCharsetTaking(std::string bytes, std::string_view charset);

}  // namespace codec
