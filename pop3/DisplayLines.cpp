#include "pop3/DisplayLines.h"

#include <algorithm>

namespace pop3 {

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

void AddDisplayLine(StringList& lines, const std::string& line) {
  if (line.size() <= kMaxDisplayLineBytes) {
    lines.Add(line);
    return;
  }
  std::size_t start = 0;
  while (start < line.size()) {
    std::size_t end = std::min(line.size(), start + kMaxDisplayLineBytes);
    std::size_t back = end;
    while (back < line.size() && back > start && IsContinuationByte(line[back])) --back;
    if (back > start) end = back;
    lines.Add(line.substr(start, end - start));
    start = end;
  }
}

}  // namespace pop3
