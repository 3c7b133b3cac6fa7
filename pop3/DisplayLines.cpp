#include "pop3/DisplayLines.h"

#include <algorithm>

namespace pop3 {

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::size_t DisplayPieceEnd(std::string_view line, std::size_t start) {
  const std::size_t end = std::min(line.size(), start + kMaxDisplayLineBytes);
  std::size_t back = end;
  while (back < line.size() && back > start && IsContinuationByte(line[back])) --back;
  return back > start ? back : end;
}

void AddDisplayLine(StringList& lines, const std::string& line) {
  if (line.size() <= kMaxDisplayLineBytes) {
    lines.Add(line);
    return;
  }
  for (std::size_t start = 0; start < line.size();) {
    const std::size_t end = DisplayPieceEnd(line, start);
    lines.Add(line.substr(start, end - start));
    start = end;
  }
}

}  // namespace pop3
