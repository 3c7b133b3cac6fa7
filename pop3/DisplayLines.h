#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "pop3/StringList.h"

namespace pop3 {

// Longest line of text meant for display (Body, the header view): a longer
// line is wrapped into pieces of at most this many bytes, RFC 5322's line
// limit, so that one line of megabytes never reaches a text widget whole.
// What is extracted or saved from a message keeps its lines whole.
inline constexpr std::size_t kMaxDisplayLineBytes = 998;

// Where the display piece of line that starts at start ends: at most
// kMaxDisplayLineBytes bytes on, never splitting a UTF-8 sequence (a run
// of continuation bytes as long as a piece, which is no text, is cut
// anyway). start < line.size().
std::size_t DisplayPieceEnd(std::string_view line, std::size_t start);

// Appends line to lines, wrapped into its display pieces.
void AddDisplayLine(StringList& lines, const std::string& line);

}  // namespace pop3
