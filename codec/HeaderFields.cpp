#include "codec/HeaderFields.h"

#include <cstddef>

namespace codec {

namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsContinuation(std::string_view line) { return !line.empty() && (line[0] == ' ' || line[0] == '\t'); }

}  // namespace

bool IsFieldLine(std::string_view line, std::string_view name) {
  if (line.size() <= name.size() || line[name.size()] != ':') return false;
  for (std::size_t i = 0; i < name.size(); ++i)
    if (AsciiLower(line[i]) != AsciiLower(name[i])) return false;
  return true;
}

std::optional<std::string> HeaderFieldValue(std::span<const std::string> lines, std::string_view name) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!IsFieldLine(lines[i], name)) continue;
    std::string value = lines[i].substr(name.size() + 1);
    for (std::size_t next = i + 1; next < lines.size() && IsContinuation(lines[next]); ++next) value += lines[next];
    return value;
  }
  return std::nullopt;
}

}  // namespace codec
