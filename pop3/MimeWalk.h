#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "pop3/MimePartHeader.h"

namespace pop3 {

// Multiparts nested deeper than this are taken as one leaf each.
inline constexpr int kMaxMimeDepth = 32;

// One part that holds content (not a multipart): its header and the lines
// of its body, by index into the message's body lines.
struct MimeLeaf {
  PartHeader header;
  std::size_t headerBegin = 0;  // the part's header lines, empty for the message itself
  std::size_t headerEnd = 0;
  std::size_t begin = 0;  // first body line
  std::size_t end = 0;    // one past the last body line
  // The body's last line keeps its line end: true for a body running to
  // the end of the message, false before a delimiter line, whose CR LF
  // belongs to the delimiter.
  bool lastLineEnd = false;
  // The header ended (by its empty line or a line that is no header line);
  // false when the end of the message cut it off.
  bool headerEnded = true;
};

// True when line is a delimiter of boundary: "--" boundary, then "--" or
// not, then only blanks and tabs. closing tells "--boundary--".
bool IsDelimiterLine(const std::string& line, const std::string& boundary, bool& closing);

// Walks the message whose body is lines (the lines after the main header)
// as its structure says: the parts of a multipart, between whole delimiter
// lines of its own boundary, each with its own header, nested multiparts
// to kMaxMimeDepth; a preamble and an epilogue are skipped, a missing
// closing delimiter ends the last part at the end of its parent. A message
// that is not multipart is one leaf. Returns false, leaves empty, when the
// message says multipart but cannot be split (no boundary, or no line
// delimits it). walked is set one past the message's closing delimiter
// line, or to the number of lines.
bool WalkMime(const std::vector<std::string>& lines, const PartHeader& mainHeader, std::vector<MimeLeaf>& leaves,
              std::size_t& walked);

}  // namespace pop3
