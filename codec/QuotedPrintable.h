#pragma once

#include <string>
#include <string_view>

namespace codec {

// Decodes quoted-printable text (RFC 2045, 6.7), leniently as mail readers
// do: "=" and two hex digits (either case) give that byte; "=" at the end
// of a line is a soft line break and joins the lines; "==" gives one "=";
// any other "=" stays as it is, and a lone "=" at the very end is dropped. Everything else, line ends
// and trailing blanks included, is kept byte for byte. Never fails.
std::string DecodeQuotedPrintable(std::string_view text);

}  // namespace codec
