#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace codec {

// Whether line starts the field called name: the name, in any letter case,
// right followed by a colon.
bool IsFieldLine(std::string_view line, std::string_view name);

// The one lookup of a field in a header held as lines (line ends removed):
// the value of the first field called name (any letter case) among lines,
// everything after its colon, with the continuation lines that follow it
// (those starting with a blank or a tab) joined on as they stand. Nothing
// when no line starts that field. The program's own rules for reading
// particular fields (the summary's, the retrieval's first word) are thin
// rules over IsFieldLine.
std::optional<std::string> HeaderFieldValue(std::span<const std::string> lines, std::string_view name);

}  // namespace codec
