#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace codec {

// Header text as a person reads it: RFC 2047 encoded words decoded, in
// UTF-8.
//
// value is a header field's value as it came (bytes; folded lines may be
// joined by CR LF or LF followed by a blank or tab). The result:
// - folding undone (the line break dropped, the blank kept);
// - every well-formed encoded word "=?charset[*lang]?B|Q?text?=" replaced
//   by its text, wherever it stands (also inside quoted strings and
//   comments, and glued to other text, as real mail has them); the blanks
//   between two adjacent encoded words dropped;
// - a word whose charset is unknown, or whose bytes are not valid in it,
//   decoded from B or Q and shown as ShownAsEightBit does;
// - a malformed word (bad Base64, a bad encoding letter, no closing "?=")
//   and all other text kept as it is; raw 8-bit text kept when it is UTF-8
//   (RFC 6532), else read as ISO-8859-1.
// The result is always valid UTF-8 and never raises.
std::string DecodeHeaderText(std::string_view value);

// The bytes an encoded word's text stands for: encoding 'B' or 'Q' (any
// case). Nothing when text is not valid in that encoding. Q: "_" is a blank
// and "=XX" a byte (hex digits in either case); B: the Base64 alphabet,
// padding optional.
std::optional<std::string> DecodeWordText(char encoding, std::string_view text);

}  // namespace codec
