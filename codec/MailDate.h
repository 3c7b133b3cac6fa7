#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace codec {

// The moment a Date: header names, in seconds since 1970-01-01 00:00 UTC.
//
// Reads RFC 5322 date-times with their obsolete forms: an optional day
// name, "7 Dec 2026" or "07-Dec-2026", two-digit years (00-49 are 2000 on,
// 50-99 the 1900s) and three-digit ones (plus 1900), missing seconds,
// numeric zones (+0100, also +01:00), the named zones UT, GMT, UTC, Z, EST,
// EDT, CST, CDT, MST, MDT, PST, PDT, military letters and any other zone
// name as UTC, a missing zone as UTC, comments in parentheses anywhere,
// extra blanks and folding; also the C library's asctime order ("Mon Dec 7
// 10:31:00 2026"). Nothing when no day, month, year and time can be read,
// or a value is out of range (day past the month's end, hour 24, ...).
std::optional<std::int64_t> ParseMailDate(std::string_view text);

// when in the local time zone, as "07.12.26 10:31" (day, month, year of
// the century, hours and minutes, always this wide): complete, and short
// enough for the list's 100-pixel date column in its 8-point font.
std::string FormatLocalDateTime(std::int64_t when);

// What the list's date column shows for a Date: header value: the local
// time it names, or, when it cannot be read, the value as it came (as
// ShownAsEightBit shows it).
std::string ShownMailDate(std::string_view text);

}  // namespace codec
